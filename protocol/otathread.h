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
#include "protocol/firmwareimage.h"
#include "protocol/framecodec.h"
#include "protocol/paramstate.h"
#include "protocol/scopestate.h"
#include "protocol/shared.h"


// Pending operations supervised by the run loop.
enum PendingOp : int {
    opNone = 0,
    opAdapterProbe = 1,
    opAdapterEnterConfig = 2,
    opAdapterConfig = 3,
    opOtaErase = 4,
    opOtaInfo = 5,
    opOtaBlock = 6,
    opOtaFinish = 7,
    opDeviceScan = 8,
    opSetCanId = 9,
    opResetMode = 10,
    opMotorMode = 11,
    opBrakeMode = 12,
    opEncoderCal = 13,
    opSetZero = 14,
    opMotionOnce = 15,
    opMotionStream = 16,
    opReadParaTable = 17,
    opReadPara = 19,
    opWritePara = 21,
    opScopeStart = 26,
    opScopeStop = 27,
    opScopeConfig = 28,
    opQueryModel = 29,
    opScopeStopConfirm = 30,  // the stop is no longer repeated; its confirmation is still awaited
};

// A stop request is repeated, and its confirmation awaited, this long at most.
constexpr uint32_t scopeStopLimitMs = 1000;

// Command codes of execute().
enum CommandCode : unsigned {
    cmdIdle = 0,
    cmdProbeAdapter = 1,
    cmdAdapterEnterConfig = 2,
    cmdAdapterConfigStep = 3,
    cmdOtaErase = 4,
    cmdOtaSendInfo = 5,
    cmdOtaSendBlock = 6,
    cmdOtaFinish = 7,
    cmdScanDevices = 8,
    cmdSetCanId = 9,
    cmdResetMode = 10,
    cmdMotorMode = 11,
    cmdBrakeMode = 12,
    cmdEncoderCal = 13,
    cmdSetZero = 14,
    cmdMotionOnce = 15,
    cmdMotionContinuous = 16,
    cmdReadParaTable = 17,
    cmdReadParaFirst = 18,
    cmdReadParaNext = 19,
    cmdWriteParaFirst = 20,
    cmdWriteParaRow = 21,
    cmdSaveParams = 22,
    cmdFactoryReset = 23,
    cmdScopeFrequency = 24,
    cmdScopeChannels = 25,
    cmdScopeStart = 26,
    cmdScopeStop = 27,
    cmdQueryModel = 29,
};

// State notification codes (reactions in the window's StateUpdate).
enum StateCode : int {
    stDeviceDetected = 0,
    stAdapterProbeTimeout = 1,
    stAdapterReady = 2,
    stBaudScanTimeout = 3,
    stBaudScanAnswered = 4,
    stAdapterSetupFailed = 5,
    stAdapterSetupDone = 6,
    stOtaEnterFailed = 7,
    stOtaEntered = 8,
    stOtaFileEmpty = 9,
    stOtaFileTooLarge = 10,
    stOtaTransferStarted = 11,
    stOtaInfoTimeout = 12,
    stOtaBlockAcked = 13,
    stOtaBlockResend = 14,
    stOtaTransferDone = 15,
    stCanIdSetOk = 16,
    stCanIdSetFailed = 17,
    stResetModeOk = 18,
    stResetModeFailed = 19,
    stMotorModeOk = 20,
    stMotorModeFailed = 21,
    stBrakeModeOk = 22,
    stBrakeModeFailed = 23,
    stEncoderCalModeOk = 24,
    stEncoderCalModeFailed = 25,
    stZeroSetOk = 26,
    stZeroSetFailed = 27,
    stMotorFeedback = 28,
    stFaultReport = 29,
    stEncoderCalProgress = 30,
    stEncoderCalResult = 31,
    stEncoderCalDone = 32,
    stHallCalDone = 36,
    stParaTableOk = 37,
    stParaTableFailed = 38,
    stParaTableError = 39,
    stParaReadOk = 40,
    stParaReadTimeout = 41,
    stParaReadError = 42,
    stParaWriteOk = 43,
    stParaWriteTimeout = 44,
    stParaWriteError = 45,
    stParaSaveOk = 46,
    stScopeConfigError = 47,
    stScopeConfigTimeout = 48,
    stScopeFreqOk = 49,
    stScopeChannelsOk = 50,
    stScopeStopped = 52,
    stOtaSucceeded = 53,
    stOtaFailed = 54,
    stMotorTypeSet0 = 55,
    stMotorTypeSet1 = 56,
    stMotorModel = 57,
    stModuleBaudRate = 58,
    stModuleLegacyFirmware = 59,
    stModuleBaudChanged = 60,
    stModuleFrameType = 61,
    stModuleFrameTypeChanged = 62,
    stOtaBlockUnanswered = 63,  // a block stayed unanswered after its re-sends: the upgrade ended
    stScopeStopUnconfirmed = 64,  // the drive did not confirm a stop of its oscilloscope within the limit
};

constexpr uint32_t maxFirmwareSize = 524288;

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
    std::function<void()> blockPause = firmware::pauseAfterBlock;  // 1 ms after each block; tests may shorten it

    // ---- parameter transfer flags read by the run loop --------------------
    Relaxed<uint32_t> paramErrorFlags{0};
    Relaxed<uint8_t> lastFrameCode{0};

    // ---- the run loop's clock (replaced by tests to run in virtual time) --
    std::function<void(unsigned ms)> sleepFor;  // one tick of a supervised wait
    std::function<void()> idleWait;             // nothing pending: wait for a command

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

signals:
    void sendState();
    void WriteToSerial(QByteArray data, qint16 length);
    void scopeToShow(QVector<QCPGraphData>* samples);
    void waveFileFailed();  // a wave line could not be written: saving stopped, `waveFailure` says why

public slots:
    void getSerialData(QByteArray bytes);

protected:
    void run() override;

public:
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
    void materializeWindows();                            // sampleVectors from the windows
    bool openWaveFile(const QString& name);              // saving starts; false when the file cannot be opened
    void closeWaveFile();
    void failWaveFile(recordfile::WriteFailure cause);
    QByteArray waveLine;                                  // reused for every sample's line

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
};
