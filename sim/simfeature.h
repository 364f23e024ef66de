#pragma once
// A feature of a simulated drive (parameter table, oscilloscope, boot loader,
// ...). Features live on the simulator's thread and may use timers there.

#include <QObject>
#include <cstdint>

#include "protocol/canframe.h"

class SimDriveContext {
public:
    virtual ~SimDriveContext() = default;
    virtual uint8_t canId() const = 0;
    virtual uint64_t mcuId() const = 0;
    // Put a frame from this drive onto the bus (it reaches the tool as a data line).
    virtual void transmit(const CanFrame& frame) = 0;
};

class SimFeature : public QObject {
public:
    explicit SimFeature(SimDriveContext& drive, QObject* parent = nullptr) : QObject(parent), drive(drive) {}
    // A frame addressed to this drive; true when the feature consumed it.
    virtual bool handleFrame(const CanFrame& request) = 0;

protected:
    SimDriveContext& drive;
};
