#pragma once
// A feature of a simulated drive (parameter table, oscilloscope, boot loader,
// ...). Features live on the simulator's thread and may use timers there.

#include <QObject>
#include <QString>
#include <cstdint>

#include "protocol/canframe.h"

class SimDriveContext {
public:
    virtual ~SimDriveContext() = default;
    virtual uint8_t canId() const = 0;
    virtual uint64_t mcuId() const = 0;
    // Put a frame from this drive onto the bus (it reaches the tool as a data line).
    virtual void transmit(const CanFrame& frame) = 0;
    // The drive's clock in seconds, and what it measures of a variable at a
    // moment of that clock (false: the variable is no measurement of the rotor).
    virtual double clockSeconds() const { return 0; }
    virtual bool measure(const QString& variable, double atSeconds, double& value)
    {
        (void)variable, (void)atSeconds, (void)value;
        return false;
    }
};

class SimFeature : public QObject {
public:
    explicit SimFeature(SimDriveContext& drive, QObject* parent = nullptr) : QObject(parent), drive(drive) {}
    // A frame addressed to this drive; true when the feature consumed it.
    virtual bool handleFrame(const CanFrame& request) = 0;

protected:
    SimDriveContext& drive;
};
