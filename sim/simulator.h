#pragma once
// The simulated USB-CAN adapter and the drives behind it, on a
// pseudo-terminal: the tool opens the slave path with its real serial port.
//
//   Simulator sim;                       // configure before start():
//   sim.adapterRate = 115200;            //   the adapter's own serial rate
//   sim.drives = {{1, 0xAB, {0, 2, 5}}}; //   CAN id, MCU id, model bytes
//   QString path = sim.start();          // the pty slave path
//   sim.runOnSimThread([&] { sim.drive(0)->silent = true; });  // at run time
//   sim.waitForFrame([](const CanFrame& f) { ... }, 2000);     // observation
//   sim.unplug(); sim.replug();          // the adapter pulled out and back
//
// Everything of the simulator lives on its own thread; features of a drive
// (sim/simfeature.h) are reached with sim.drive(i)->feature<T>() on that thread.

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <functional>
#include <vector>

#include "sim/simdrive.h"

class SimHost;

class Simulator {
public:
    Simulator();
    ~Simulator();

    // Configuration read by start().
    int adapterRate = 921600;
    std::vector<SimDriveConfig> drives{SimDriveConfig{}};
    bool adapterSilent = false;     // answers nothing at any rate
    bool adapterGarbage = false;    // answers bytes that never end a line
    int adapterDropNextAnswers = 0; // drops this many adapter answers
    uint8_t adapterBaudCode = 1;
    uint8_t adapterFrameCode = 1;
    QString linkPath;  // when set, a symbolic link kept pointing at the current pseudo-terminal

    QString start();
    void stop();
    QString portPath() const { return path; }  // empty while unplugged

    // The adapter pulled out (the tool's end hangs up, the link vanishes) and
    // plugged in again on a new pseudo-terminal; drives keep their state.
    void unplug();
    QString replug();
    bool plugged() const;

    // Runs `job` on the simulator's thread and waits for it.
    void runOnSimThread(const std::function<void()>& job);
    SimDrive* drive(int index) const;  // use on the simulator's thread only

    // Thread-safe observation of what the tool sent.
    QList<CanFrame> framesReceived() const;
    QList<QByteArray> textsReceived() const;  // configuration texts and module lines
    bool waitForFrame(const std::function<bool(const CanFrame&)>& match, int timeoutMs) const;
    void clearObservations();
    int currentAdapterRate() const;

private:
    friend class SimHost;
    void record(const CanFrame& frame);
    void recordText(const QByteArray& text);

    void drainJobs();

    // Handovers between threads use the standard library's locks, which the
    // thread sanitizer sees (Qt's own are invisible to it).
    QThread thread;
    // Jobs wake the simulator's thread through an eventfd, not through Qt's
    // event queue, whose (Qt) lock the thread sanitizer cannot see.
    int wakeFd = -1;
    class QSocketNotifier* wakeNotifier = nullptr;  // lives on the simulator's thread
    std::mutex startMutex;
    std::condition_variable startSignal;
    bool threadReady = false;
    QMetaObject::Connection finishedConnection;
    // Released by the thread's last step: QThread::wait's own hand-over is invisible to the sanitizer.
    std::atomic<bool> threadEnded{false};
    SimHost* host = nullptr;
    QString path;
    std::mutex jobsMutex;
    std::vector<std::function<void()>> jobs;
    mutable std::mutex observed;
    mutable std::condition_variable arrived;
    QList<CanFrame> frames;
    QList<QByteArray> texts;
};
