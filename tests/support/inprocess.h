#pragma once
// In-process helpers for window tests: a simulated drive wired straight to
// the worker, a drive announced as if detected, and the texts a test reads back.

#include <QList>
#include <QStringList>
#include <cstdint>

#include "sim/simfeature.h"
#include "sim/simparamtable.h"
#include "sim/simscope.h"

class MainWindow;
class QComboBox;
class QSignalSpy;

// The simulated parameter table and oscilloscope wired to the window's worker:
// frames the worker sends reach the drive one event later, its answers go
// straight into the receive path.
class LoopDrive : public SimDriveContext {
public:
    LoopDrive(MainWindow& window, uint8_t canId, uint64_t mcuId);
    uint8_t canId() const override { return id; }
    uint64_t mcuId() const override { return uid; }
    void transmit(const CanFrame& frame) override;
    // The worker knows this drive alone, it is listed in comboBoxDev by its id,
    // and its table answers without a line rate to keep.
    void listAsOnlyDrive();

    MainWindow& window;
    SimParamTable table;
    SimScope scope;
    int framesHeard = 0;

private:
    uint8_t id;
    uint64_t uid;
};

// The worker's device table gains (or updates) the drive, and the detection reaction runs.
void announceDrive(MainWindow& w, uint8_t canId, uint64_t uid);

QStringList comboItems(const QComboBox* combo);
QStringList logParagraphs(const MainWindow& w);

// The CAN frames among the lines a spy on WriteToSerial caught, in order.
QList<CanFrame> dataFrames(const QSignalSpy& writes);
