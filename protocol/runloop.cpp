// The worker's run loop: one pass runs the pending operation's job from its
// row (pendingops.cpp) — a supervised wait sleeps a tick, advances its
// counter, tests the acknowledgement first and the limit second; the other
// jobs run one step.

#include "protocol/otathread.h"
#include "protocol/pendingops.h"

using pending::Job;
using pending::OnAck;
using pending::OnTimeout;

void otaThread::pollOnce()
{
    const int op = pendingOp.load(std::memory_order_acquire);
    const pending::Row* row = pending::rowOf(op);

    switch (row ? row->job : Job::none) {
    case Job::supervise:
        superviseStep(op, *row);
        return;
    case Job::scanDevices:
        scanStep(op, *row);
        return;
    case Job::streamMotion:
        loopTime().sleepFor(row->tickMs);
        if (pendingOp.load(std::memory_order_acquire) == op)
            sendMotionFrame();
        return;
    case Job::awaitBlock:
        blockWaitStep(op, *row);
        return;
    case Job::stopScope:
        scopeStopStep(op, *row);
        return;
    case Job::none:
        break;
    }
    elapsedMs.store(0, std::memory_order_relaxed);
    loopTime().idleWait();
}

void otaThread::superviseStep(int op, const pending::Row& row)
{
    loopTime().sleepFor(row.tickMs);
    if (pendingOp.load(std::memory_order_acquire) != op)
        return;  // a command replaced the operation during the tick
    const uint32_t elapsed = elapsedMs.load(std::memory_order_relaxed) + row.countMs;
    elapsedMs.store(elapsed, std::memory_order_relaxed);

    if (ackFlag.load(std::memory_order_acquire)) {
        acknowledgedStep(op, row);
        return;
    }
    if (elapsed > row.limitMs && endPending(op)) {
        if (row.onTimeout == OnTimeout::tableOutcome)
            raiseState(paramErrorFlags != 0 ? stParaTableError : stParaTableFailed);
        else
            raiseState(row.timeoutState);
    }
}

void otaThread::acknowledgedStep(int op, const pending::Row& row)
{
    switch (row.onAck) {
    case OnAck::complete:
        if (endPending(op))
            raiseState(row.ackState);
        return;
    case OnAck::nextAdapterStep:
        adapterStep = uint8_t(adapterStep + 1);
        if (adapterStep >= 5) {
            if (endPending(op))
                raiseState(stAdapterSetupDone);
        } else {
            execute(cmdAdapterConfigStep);
        }
        return;
    case OnAck::enterUpgrade: {
        int expected = op;
        if (pendingOp.compare_exchange_strong(expected, opOtaInfo, std::memory_order_acq_rel))
            raiseState(stOtaEntered);
        return;
    }
    case OnAck::stay:
        return;
    case OnAck::nextDescriptor:
        ackFlag.store(0, std::memory_order_relaxed);
        if (lastFrameCode == descriptorEndCode)
            endPending(op);
        else
            elapsedMs.store(0, std::memory_order_relaxed);
        return;
    case OnAck::restartClock:
        ackFlag.store(0, std::memory_order_relaxed);
        elapsedMs.store(0, std::memory_order_relaxed);
        return;
    }
}

void otaThread::scanStep(int op, const pending::Row& row)
{
    if (scanSlot % 16 != 0) {
        scanId = uint8_t(scanGroup + 8 * scanSlot);
        scanSlot = uint8_t(scanSlot + 1);
    } else {
        scanGroup = uint8_t(scanGroup + 1);
        scanId = scanGroup;
        scanSlot = 1;
    }
    loopTime().sleepFor(row.tickMs);
    if (pendingOp.load(std::memory_order_acquire) != op)
        return;
    if (scanId >= 128) {
        endPending(op);
        return;
    }
    sendScanProbe(scanId);
    loopTime().sleepFor(row.tickMs);
}

void otaThread::blockWaitStep(int op, const pending::Row& row)
{
    loopTime().sleepFor(row.tickMs);
    if (pendingOp.load(std::memory_order_acquire) != op)
        return;
    const uint32_t waited = elapsedMs.load(std::memory_order_relaxed) + row.countMs;
    if (waited < row.limitMs) {
        elapsedMs.store(waited, std::memory_order_relaxed);
        return;
    }
    // The block and its image belong to the GUI thread: it re-sends or gives up.
    elapsedMs.store(0, std::memory_order_relaxed);
    const uint32_t sends = blockSends.load(std::memory_order_acquire);
    runOnOwnerThread([this, sends] { blockUnanswered(sends); });
}

void otaThread::scopeStopStep(int op, const pending::Row& row)
{
    loopTime().sleepFor(row.tickMs);
    if (pendingOp.load(std::memory_order_acquire) != op)
        return;  // the drive answered, or a command replaced the stop
    const uint32_t elapsed = elapsedMs.load(std::memory_order_relaxed) + row.countMs;
    elapsedMs.store(elapsed, std::memory_order_relaxed);
    if (elapsed >= row.limitMs) {
        if (endPending(op))
            raiseState(row.timeoutState);
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
}
