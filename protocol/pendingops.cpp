#include "protocol/pendingops.h"

#include "protocol/firmwareimage.h"
#include "protocol/otathread.h"

namespace pending {

namespace {

constexpr int none = -1;

// clang-format off
constexpr Row rows[] = {
  // op                    job                tick count limit                    awaits                   reply type      mode  on reply                on ack                  ack state           on time-out              time-out state
    {opAdapterProbe,       Job::supervise,    20,  20,   500,                     Awaits::adapterOk,       commProbe,      none, OnReply::acknowledge,   OnAck::complete,        stAdapterReady,     OnTimeout::fail,         stAdapterProbeTimeout},
    {opAdapterEnterConfig, Job::supervise,    20,  20,   200,                     Awaits::adapterOk,       commProbe,      none, OnReply::acknowledge,   OnAck::complete,        stBaudScanAnswered, OnTimeout::fail,         stBaudScanTimeout},
    {opAdapterConfig,      Job::supervise,    20,  20,   500,                     Awaits::adapterOk,       commProbe,      none, OnReply::acknowledge,   OnAck::nextAdapterStep, none,               OnTimeout::fail,         stAdapterSetupFailed},
    {opOtaErase,           Job::supervise,    100, 100,  80000,                   Awaits::frameFromTarget, commOtaErase,   none, OnReply::acknowledge,   OnAck::enterUpgrade,    none,               OnTimeout::fail,         stOtaEnterFailed},
    {opOtaInfo,            Job::supervise,    100, 100,  2000,                    Awaits::frameFromTarget, commOtaInfo,    none, OnReply::startTransfer, OnAck::stay,            none,               OnTimeout::fail,         stOtaInfoTimeout},
    {opOtaBlock,           Job::awaitBlock,   100, 100,  firmware::blockAnswerMs, Awaits::anyFrame,        commOtaBlock,   none, OnReply::judgeBlock,    OnAck::stay,            none,               OnTimeout::resendBlock,  none},
    {opOtaFinish,          Job::none,         0,   0,    0,                       Awaits::frameToHost,     commOtaFinish,  none, OnReply::finishUpgrade, OnAck::stay,            none,               OnTimeout::fail,         none},
    {opDeviceScan,         Job::scanDevices,  4,   0,    0,                       Awaits::nothing,         commProbe,      none, OnReply::acknowledge,   OnAck::stay,            none,               OnTimeout::fail,         none},
    {opSetCanId,           Job::supervise,    100, 100,  2000,                    Awaits::frame,           commProbe,      none, OnReply::acknowledge,   OnAck::complete,        stCanIdSetOk,       OnTimeout::fail,         stCanIdSetFailed},
    {opResetMode,          Job::supervise,    100, 100,  2000,                    Awaits::statusToHost,    commStatus,     0,    OnReply::acknowledge,   OnAck::complete,        stResetModeOk,      OnTimeout::fail,         stResetModeFailed},
    {opMotorMode,          Job::supervise,    100, 100,  2000,                    Awaits::statusToHost,    commStatus,     2,    OnReply::acknowledge,   OnAck::complete,        stMotorModeOk,      OnTimeout::fail,         stMotorModeFailed},
    {opBrakeMode,          Job::supervise,    100, 100,  2000,                    Awaits::statusToHost,    commStatus,     3,    OnReply::acknowledge,   OnAck::complete,        stBrakeModeOk,      OnTimeout::fail,         stBrakeModeFailed},
    {opEncoderCal,         Job::supervise,    100, 100,  2000,                    Awaits::statusToHost,    commStatus,     1,    OnReply::acknowledge,   OnAck::complete,        stEncoderCalModeOk, OnTimeout::fail,         stEncoderCalModeFailed},
    {opSetZero,            Job::supervise,    100, 100,  2000,                    Awaits::statusToHost,    commStatus,     none, OnReply::acknowledge,   OnAck::complete,        stZeroSetOk,        OnTimeout::fail,         stZeroSetFailed},
    {opMotionStream,       Job::streamMotion, 50,  0,    0,                       Awaits::nothing,         commMotion,     none, OnReply::acknowledge,   OnAck::stay,            none,               OnTimeout::fail,         none},
    {opReadParaTable,      Job::supervise,    50,  50,   1000,                    Awaits::frameToHost,     commParamTable, none, OnReply::acknowledge,   OnAck::nextDescriptor,  none,               OnTimeout::tableOutcome, none},
    {opReadPara,           Job::supervise,    50,  50,   1000,                    Awaits::frameToHost,     commParamRead,  none, OnReply::acknowledge,   OnAck::restartClock,    none,               OnTimeout::fail,         stParaReadTimeout},
    {opWritePara,          Job::supervise,    50,  100,  1000,                    Awaits::frameToHost,     commParamWrite, none, OnReply::acknowledge,   OnAck::restartClock,    none,               OnTimeout::fail,         stParaWriteTimeout},
    {opScopeStop,          Job::stopScope,    2,   2,    scopeStopLimitMs,        Awaits::nothing,         commScope,      none, OnReply::acknowledge,   OnAck::stay,            none,               OnTimeout::fail,         stScopeStopUnconfirmed},
    {opScopeConfig,        Job::supervise,    50,  50,   1000,                    Awaits::frameToHost,     commScope,      none, OnReply::acknowledge,   OnAck::restartClock,    none,               OnTimeout::fail,         stScopeConfigTimeout},
    {opScopeStopConfirm,   Job::stopScope,    2,   2,    scopeStopLimitMs,        Awaits::nothing,         commScope,      none, OnReply::acknowledge,   OnAck::stay,            none,               OnTimeout::fail,         stScopeStopUnconfirmed},
};
// clang-format on

}  // namespace

const Row* rowOf(int op)
{
    for (const Row& row : rows)
        if (row.op == op)
            return &row;
    return nullptr;
}

}  // namespace pending
