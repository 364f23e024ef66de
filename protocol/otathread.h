#pragma once
// The protocol worker: adapter lines, drive frames, the supervising run loop,
// the command catalogue and the firmware upgrade. One object is held by the
// window; only run() executes on the worker thread, everything else on the
// GUI thread (the object is never moved).

#include <QByteArray>
#include <QMetaObject>
#include <QThread>
#include <QVector>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "protocol/canframe.h"
#include "protocol/clock.h"
#include "protocol/codes.h"
#include "protocol/firmwareimage.h"
#include "protocol/framecodec.h"
#include "protocol/paramstate.h"
#include "protocol/scopestate.h"
#include "protocol/shared.h"

// A stop request is repeated, and its confirmation awaited, this long at most.
constexpr uint32_t scopeStopLimitMs = 1000;
constexpr uint32_t maxFirmwareSize = 524288;
// Wave lines written together once this many bytes wait: with the longest line
// (eight doubles in full) a batch stays under the 4096 bytes a pipe takes whole.
constexpr int waveBatchBytes = 1024;

namespace pending {
struct Row;
}

class otaThread : public QThread, public ParamTransferState, public ScopeState {
    Q_OBJECT

public:
    explicit otaThread(QObject* parent = nullptr);
    ~otaThread() override;

    // ---- notification ----------------------------------------------------
    int stateCode = 0;  // written on the GUI thread only (queued raises carry their own code)

    // ---- supervision shared with the run loop ----------------------------
    std::atomic<int> pendingOp{0};
    std::atomic<uint8_t> ackFlag{0};
    std::atomic<uint32_t> elapsedMs{0};
    std::atomic<uint8_t> scopeRunning{0};

    // ---- addressing ------------------------------------------------------
    Relaxed<uint8_t> targetId{1};
    Relaxed<uint8_t> newCanId{1};
    uint8_t selectedDevice = 0;
    uint64_t deviceUids[maxDevices] = {};
    uint8_t deviceIds[maxDevices] = {};
    uint8_t deviceCount = 0;
    bool deviceListChanged = false;
    uint64_t lastUid = 0;
    uint8_t lastCanId = 0;
    uint8_t motorModelCode = 0;
    bool multiDeviceMode = false;

    // ---- encoding ranges and set-points (read by the streaming loop) ------
    Relaxed<float> velMin{-50.0f};
    Relaxed<float> velMax{50.0f};
    Relaxed<float> kpMax{5000.0f};
    Relaxed<float> kdMax{5.0f};
    Relaxed<float> torqueMin{-50.0f};
    Relaxed<float> torqueMax{50.0f};
    Relaxed<float> setPosition{0.0f};
    Relaxed<float> setVelocity{0.0f};
    Relaxed<float> setKp{0.0f};
    Relaxed<float> setKd{0.0f};
    Relaxed<float> setTorque{0.0f};
    Relaxed<int32_t> encodedSetPoints[5];
    uint16_t runMode = 0;
    uint32_t zeroArgument = 0;

    // ---- receive side ----------------------------------------------------
    QByteArray rxBuffer;
    quint64 rxClearCount = 0;  // GUI thread only: tells the receive path a command dropped the buffer
    CanFrame rxFrame;
    uint8_t sourceId = 0;
    bool fbFaultFlags[6] = {};
    bool fbNoFault = true;
    int fbMode = 0;
    float fbPosition = 0, fbVelocity = 0, fbTorque = 0, fbTemperature = 0;
    uint16_t fbRawPosition = 0, fbRawVelocity = 0, fbRawTorque = 0;
    int16_t fbRawTemperature = 0;
    uint32_t faultWord = 0, warningWord = 0;
    uint16_t calSensorValue = 0;
    float calRotorAngle = 0, calFluxAngle = 0;
    uint16_t calSerial = 0, calArrayIndex = 0;
    int32_t calCorrection = 0;
    float encoderOffset = 0;
    uint8_t hallSensorFlags[6] = {};
    uint8_t hallFaultFlags = 0, hallWarnFlags = 0;

    // ---- adapter -----------------------------------------------------------
    Relaxed<uint8_t> adapterStep{0};
    uint8_t adapterBaudCode = 0;
    uint8_t adapterFrameCode = 0;

    // ---- device scan (advanced by the run loop) --------------------------
    Relaxed<uint8_t> scanSlot{0}, scanGroup{0}, scanId{0};

    // ---- firmware upgrade (GUI thread only) ------------------------------
    QByteArray firmwareImage;
    uint32_t firmwareSize = 0;
    uint32_t blockCount = 0;
    uint16_t blockIndex = 0;      // low 16 bits, as carried in the block identifier
    uint32_t blockPosition = 0;   // the full block number, so 65536 blocks end in the finish frame
    uint8_t blockRetries = 0;     // re-sends of the unanswered block
    std::atomic<uint32_t> blockSends{0};  // every block frame sent; the run loop names the one it saw waiting

    // ---- parameter transfer flags read by the run loop --------------------
    Relaxed<uint32_t> paramErrorFlags{0};
    Relaxed<uint8_t> lastFrameCode{0};

    // ---- the run loop's clock -------------------------------------------
    // The loop's waits and the pause after each block; nullptr puts realTime() back.
    void setClock(Clock* clock);
    Clock& realTime();  // real time whose waits a new command or the stop cuts short

    // ---- operations --------------------------------------------------------
    void execute(unsigned code);
    void sendCanFrame(CanFrame& frame);
    void sendRawLine(const CanFrame& frame);
    void sendAdapterCommand(int index);
    void emitLine(const QByteArray& line);  // WriteToSerial, queued to the GUI thread from the loop
    void decodeLine(const QByteArray& line);
    void pollOnce();  // one pass of the run loop
    void raiseState(int code);  // store the code and notify the window, on either thread
    void stop();      // ask the loop to end and wake it
    // QThread::wait, and what the loop wrote is this thread's to touch afterwards.
    bool waitForEnd(unsigned long ms = ULONG_MAX);
    bool openWaveFile(const QString& name);  // saving starts; false when the file cannot be opened
    void closeWaveFile();
    void materializeWindows();               // sampleVectors from the windows

signals:
    void sendState();
    void WriteToSerial(QByteArray data, qint16 length);
    void scopeToShow(QVector<QCPGraphData>* samples);
    void waveFileFailed();  // a wave line could not be written: saving stopped, `waveFailure` says why

public slots:
    void getSerialData(QByteArray bytes);

protected:
    void run() override;

private:
    // The test fixtures that drive these internals directly.
    friend class DrivesE2eTest;
    friend class RunLoopTest;
    friend class ScopeProtocolTest;

    // ---- internals shared by the protocol files ---------------------------
    bool onOwnerThread() const;
    void setPending(int op);                  // release store + wake the loop
    bool endPending(int expected);            // ends `expected` unless a newer command replaced it
    void clearReceiveBuffer();                // never overlaps the receive path's appends
    CanFrame requestFrame(uint8_t type) const;  // target id, host id, length 8, zeros
    void sendMotionFrame();                   // command 15 and each pass of the stream
    void sendScanProbe(uint8_t id);
    void sendScopeStop();                     // the stop frame alone: the loop repeats it

    // receive side (dispatcher.cpp)
    void handleIdentification();
    void handleStatus();
    void handleCalibrationDone();
    void handleCalibrationProgress();
    void handleCalibrationResult();
    void handleSingleParamReply();
    void handleFaultReport();
    void matchAcknowledgement(const QByteArray& line, bool dataLine, bool addressedToHost);

    // the run loop's jobs, one step each, paced by the operation's row (runloop.cpp)
    void superviseStep(int op, const pending::Row& row);
    void acknowledgedStep(int op, const pending::Row& row);
    void scanStep(int op, const pending::Row& row);
    void blockWaitStep(int op, const pending::Row& row);
    void scopeStopStep(int op, const pending::Row& row);

    // groups of the command catalogue and their receive handlers
    void executeUpgrade(unsigned code, CanFrame& frame);   // upgrade.cpp, codes 4..7
    void handleBlockReply();                              // upgrade.cpp
    void handleFinishReply();                             // upgrade.cpp
    void blockUnanswered(uint32_t sendsSeen);             // upgrade.cpp, from the run loop's wait
    void runOnOwnerThread(std::function<void()> job);      // at once there, else posted to it
    void executeParam(unsigned code, CanFrame& frame);     // paramtransfer.cpp, codes 17..23
    void handleParamWriteReply();                         // paramtransfer.cpp, type 8
    void handleParamValueReply();                         // paramtransfer.cpp, type 9
    void handleDescriptorFrame();                         // paramtransfer.cpp, type 19
    void executeScope(unsigned code, CanFrame& frame);     // scopestream.cpp, codes 24..27
    void handleScopeFrame();                              // scopestream.cpp, type 10
    void completeConfiguration();                         // scopestream.cpp, the last channel reply
    void decodeSample();                                  // scopestream.cpp
    void failWaveFile(recordfile::WriteFailure cause);
    void writeWaveLines();                                // the lines decoded since the last write
    QByteArray waveLines;                                 // reused for every batch of lines
    uint32_t waveLineCount = 0;                           // lines in it

    // Hands work from the run loop to the GUI thread, in order; the queue's own
    // lock makes each handover visible to the other thread.
    void post(std::function<void()> job);

private:
    Q_INVOKABLE void drainOutbox();
    std::mutex outboxMutex;
    QVector<std::function<void()>> outbox;
    std::mutex wakeMutex;  // guards only the loop's sleeping, no data
    std::condition_variable wake;
    std::atomic<bool> stopRequested{false};
    // Released as run() returns: QThread::wait's own hand-over is invisible to ThreadSanitizer.
    std::atomic<bool> loopEnded{false};
    void defaultSleep(unsigned ms);
    void defaultIdle();
    class LoopClock : public SystemClock {
    public:
        explicit LoopClock(otaThread& worker) : worker(worker) {}
        void sleepFor(unsigned ms) override { worker.defaultSleep(ms); }
        void idleWait() override { worker.defaultIdle(); }

    private:
        otaThread& worker;
    };
    LoopClock loopClock{*this};
    std::atomic<Clock*> clockInUse{&loopClock};
    Clock& loopTime() const { return *clockInUse.load(std::memory_order_acquire); }
};
