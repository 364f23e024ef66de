// The worker's run loop: one pass supervises the pending operation — sleep a
// tick, advance its counter, test the acknowledgement first and the limit
// second — or runs one step of a periodic job.

#include "protocol/otathread.h"

namespace {

struct Supervision {
    int op;
    unsigned tick, increment, limit;
    int onAck, onTimeout;  // state codes; -1 for none (the op has its own handling)
};

// op 3, 4, 5, 17, 19, 21 and 28 have special acknowledgement handling below.
constexpr Supervision supervised[] = {
    {opAdapterProbe, 20, 20, 500, stAdapterReady, stAdapterProbeTimeout},
    {opAdapterEnterConfig, 20, 20, 200, stBaudScanAnswered, stBaudScanTimeout},
    {opAdapterConfig, 20, 20, 500, -1, stAdapterSetupFailed},
    {opOtaErase, 100, 100, 80000, -1, stOtaEnterFailed},
    {opOtaInfo, 100, 100, 2000, -1, stOtaInfoTimeout},
    {opSetCanId, 100, 100, 2000, stCanIdSetOk, stCanIdSetFailed},
    {opResetMode, 100, 100, 2000, stResetModeOk, stResetModeFailed},
    {opMotorMode, 100, 100, 2000, stMotorModeOk, stMotorModeFailed},
    {opBrakeMode, 100, 100, 2000, stBrakeModeOk, stBrakeModeFailed},
    {opEncoderCal, 100, 100, 2000, stEncoderCalModeOk, stEncoderCalModeFailed},
    {opSetZero, 100, 100, 2000, stZeroSetOk, stZeroSetFailed},
    {opReadParaTable, 50, 50, 1000, -1, -1},
    {opReadPara, 50, 50, 1000, -1, stParaReadTimeout},
    {opWritePara, 50, 100, 1000, -1, stParaWriteTimeout},
    {opScopeConfig, 50, 50, 1000, -1, stScopeConfigTimeout},
};

const Supervision* supervisionOf(int op)
{
    for (const Supervision& s : supervised)
        if (s.op == op)
            return &s;
    return nullptr;
}

}  // namespace

void otaThread::pollOnce()
{
    const int op = pendingOp.load(std::memory_order_acquire);

    if (const Supervision* s = supervisionOf(op)) {
        sleepFor(s->tick);
        if (pendingOp.load(std::memory_order_acquire) != op)
            return;  // a command replaced the operation during the tick
        const uint32_t elapsed = elapsedMs.load(std::memory_order_relaxed) + s->increment;
        elapsedMs.store(elapsed, std::memory_order_relaxed);

        if (ackFlag.load(std::memory_order_acquire)) {
            switch (op) {
            case opAdapterConfig:
                adapterStep = uint8_t(adapterStep + 1);
                if (adapterStep >= 5) {
                    if (endPending(op))
                        raiseState(stAdapterSetupDone);
                } else {
                    execute(cmdAdapterConfigStep);
                }
                return;
            case opOtaErase: {
                int expected = opOtaErase;
                if (pendingOp.compare_exchange_strong(expected, opOtaInfo, std::memory_order_acq_rel))
                    raiseState(stOtaEntered);
                return;
            }
            case opOtaInfo:
                return;  // waiting for the operator to start the transfer
            case opReadParaTable:
                ackFlag.store(0, std::memory_order_relaxed);
                if (lastFrameCode == descriptorEndCode)
                    endPending(op);
                else
                    elapsedMs.store(0, std::memory_order_relaxed);
                return;
            case opReadPara:
            case opWritePara:
            case opScopeConfig:
                ackFlag.store(0, std::memory_order_relaxed);
                elapsedMs.store(0, std::memory_order_relaxed);
                return;
            default:
                if (endPending(op))
                    raiseState(s->onAck);
                return;
            }
        }
        if (elapsed > s->limit && endPending(op)) {
            if (op == opReadParaTable)
                raiseState(paramErrorFlags != 0 ? stParaTableError : stParaTableFailed);
            else
                raiseState(s->onTimeout);
        }
        return;
    }

    switch (op) {
    case opDeviceScan: {
        if (scanSlot % 16 != 0) {
            scanId = uint8_t(scanGroup + 8 * scanSlot);
            scanSlot = uint8_t(scanSlot + 1);
        } else {
            scanGroup = uint8_t(scanGroup + 1);
            scanId = scanGroup;
            scanSlot = 1;
        }
        sleepFor(4);
        if (pendingOp.load(std::memory_order_acquire) != op)
            return;
        if (scanId >= 128) {
            endPending(op);
            return;
        }
        sendScanProbe(scanId);
        sleepFor(4);
        return;
    }
    case opMotionStream:
        sleepFor(50);
        if (pendingOp.load(std::memory_order_acquire) == op)
            sendMotionFrame();
        return;
    case opOtaBlock: {
        sleepFor(100);
        if (pendingOp.load(std::memory_order_acquire) != op)
            return;
        const uint32_t waited = elapsedMs.load(std::memory_order_relaxed) + 100;
        if (waited < firmware::blockAnswerMs) {
            elapsedMs.store(waited, std::memory_order_relaxed);
            return;
        }
        // The block and its image belong to the GUI thread: it re-sends or gives up.
        elapsedMs.store(0, std::memory_order_relaxed);
        const uint32_t sends = blockSends.load(std::memory_order_acquire);
        runOnOwnerThread([this, sends] { blockUnanswered(sends); });
        return;
    }
    case opScopeStop:
    case opScopeStopConfirm: {
        sleepFor(2);
        if (pendingOp.load(std::memory_order_acquire) != op)
            return;  // the drive answered, or a command replaced the stop
        const uint32_t elapsed = elapsedMs.load(std::memory_order_relaxed) + 2;
        elapsedMs.store(elapsed, std::memory_order_relaxed);
        if (elapsed >= scopeStopLimitMs) {
            if (endPending(op))
                raiseState(stScopeStopUnconfirmed);
            return;
        }
        if (op != opScopeStop)
            return;
        if (scopeRunning.load(std::memory_order_acquire)) {
            sendScopeStop();
        } else {
            int expected = opScopeStop;  // nothing streams: one request is enough, the answer is awaited
            pendingOp.compare_exchange_strong(expected, opScopeStopConfirm, std::memory_order_acq_rel);
        }
        return;
    }
    default:
        elapsedMs.store(0, std::memory_order_relaxed);
        idleWait();
        return;
    }
}
