#pragma once
// One row per pending operation: how the run loop paces it, the reply the
// receive path waits for, and what follows the reply and the time-out. The
// run loop (runloop.cpp) and the reply matching (dispatcher.cpp) read it.

#include <cstdint>

#include "protocol/codes.h"

namespace pending {

// The loop's work for the operation.
enum class Job : uint8_t {
    none,         // the loop waits idle: the reply alone ends the operation
    supervise,    // wait for the reply tick by tick, up to the limit
    scanDevices,  // probe the next CAN id each tick
    streamMotion, // send the set-points each tick
    awaitBlock,   // give the block's answer the limit, then let the GUI thread re-send it
    stopScope,    // repeat the stop while the drive streams, up to the limit
};

// The reply the receive path waits for.
enum class Awaits : uint8_t {
    nothing,
    adapterOk,        // any line holding "OK", data line or not
    anyFrame,         // any data line: the block's answer, judged by the upgrade
    frame,            // a data line of `replyType`, whoever it is addressed to
    frameToHost,      // a data line of `replyType` addressed to the tool
    frameFromTarget,  // the same, whose field holds the target's CAN id
    statusToHost,     // a status frame to the tool, the drive in `replyMode` (any when negative)
};

// What the receive path does with the awaited reply.
enum class OnReply : uint8_t {
    acknowledge,    // the run loop sees it at its next tick
    judgeBlock,     // the upgrade acknowledges the block or asks for it again
    startTransfer,  // acknowledge, announce the transfer and send the first block
    finishUpgrade,  // acknowledge and judge the finish reply
};

// What the run loop does at its tick once the reply was acknowledged.
enum class OnAck : uint8_t {
    complete,         // end the operation and raise `ackState`
    nextAdapterStep,  // the next configuration line, or the set-up is done
    enterUpgrade,     // the erase was answered: wait for the image information
    stay,             // nothing: the operation goes on (the operator starts the transfer; other jobs do not look)
    nextDescriptor,   // the end frame ends the download, any other frame restarts the clock
    restartClock,     // the drive still answers: the limit counts anew
};

// What the run loop does once the limit passes without an acknowledgement.
enum class OnTimeout : uint8_t {
    fail,          // end the operation and raise `timeoutState` (none when negative)
    tableOutcome,  // end the download: an error when a frame was wrong, else a failure
    resendBlock,   // the GUI thread re-sends the block or ends the upgrade
};

struct Row {
    PendingOp op;
    Job job;
    unsigned tickMs;       // the loop's sleep per poll
    unsigned countMs;      // added to `elapsedMs` per poll
    unsigned limitMs;      // 0: no limit
    Awaits awaits;
    CommType replyType;    // read only by the awaits that name it
    int replyMode;         // likewise: the drive's mode in a status frame
    OnReply onReply;
    OnAck onAck;
    int ackState;          // StateCode, or -1
    OnTimeout onTimeout;
    int timeoutState;      // StateCode, or -1
};

// The row of `op`; nullptr for an operation the loop does not poll (idle,
// a single motion frame, the scope start, the model query).
const Row* rowOf(int op);

}  // namespace pending
