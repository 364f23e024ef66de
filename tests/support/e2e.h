#pragma once
// End-to-end rig: a Simulator on a pseudo-terminal and a real MainWindow whose
// QSerialPort opens it.

#include <QStringList>
#include <functional>
#include <memory>

#include "sim/simulator.h"
#include "support/scripteddialogs.h"
#include "ui/mainwindow.h"

class QAbstractButton;

struct SimulatedRig {
    Simulator sim;
    ScriptedDialogs dialogs;  // the window's dialogs, answered by the test
    std::unique_ptr<MainWindow> window;
    QStringList statusMessages;  // every status-bar message, in order

    // Starts the simulator (configure `sim` first) and the window with its port listed.
    bool start();
    // Clicks Open COM and waits until the adapter handshake ends.
    bool openAndHandshake(int timeoutMs = 15000);
    // Clicks Detect Devices and waits until `drives` are listed and the model label is filled.
    bool detect(int drives = 1, int timeoutMs = 8000);
    // start(), openAndHandshake() and detect() of one drive.
    bool ready();
    bool waitForStatus(const QString& text, int timeoutMs = 5000);
    bool waitForLabel(const char* objectName, const QString& text, int timeoutMs = 8000);
    // The frames of this type the simulated drives received, in order.
    QList<CanFrame> framesOfType(uint8_t type) const;
    // Waits, with the event loop running, until the drives received a matching frame.
    bool sawFrame(const std::function<bool(const CanFrame&)>& match, int timeoutMs = 2000) const;
    bool waitForLog(const QString& contains, int timeoutMs = 5000);
    QString log() const;
    void click(const char* objectName);
    template <class T>
    T* widget(const char* objectName) const { return window->findChild<T*>(QString::fromLatin1(objectName)); }
    ~SimulatedRig();
};
