// The parameter transfer's replies through the receive path: descriptor
// streams into the table with its end-frame verdict, value replies and write
// replies with their judgement. A download reported complete must hold every
// frame each counted entry needs.
//
// Input: records of nine bytes, a selector and eight data bytes. Selector
// bits 6..7: 0 and 1 a descriptor frame of code bits 0..3 (bit 5 starts a new
// download first), 2 a value reply (a read is asked first when none waits),
// 3 a write reply (a write or a factory reset is sent first).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void checkTable(const otaThread& worker, bool reportedComplete)
{
    for (uint32_t kind = 0; kind < 4; ++kind) {
        require(worker.kindCount[kind] <= kindCapacity(kind));
        if (!reportedComplete)
            continue;
        for (uint16_t i = 0; i < worker.kindCount[kind]; ++i) {
            const uint16_t needed = worker.framesNeeded(kind, i);
            require((worker.framesStored[kind][i] & needed) == needed);
        }
    }
}

void feed(otaThread& worker, uint8_t type, uint16_t fieldBits, const uint8_t* bytes)
{
    CanFrame frame;
    frame.id = codec::makeId(type, hostId, fieldBits);
    frame.length = 8;
    std::memcpy(frame.data, bytes, 8);
    worker.getSerialData(adapterline::encodeDataLine(frame));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static otaThread worker;  // never started: no run loop, every reply handled here
    static int tableOutcome = -1;
    static const bool connected = [] {
        QObject::connect(&worker, &otaThread::sendState, [] {
            if (worker.stateCode == stParaTableOk || worker.stateCode == stParaTableError)
                tableOutcome = worker.stateCode;
        });
        return true;
    }();
    (void)connected;

    worker.targetId = 5;
    worker.execute(cmdReadParaTable);
    for (size_t at = 0; at + 9 <= size; at += 9) {
        const uint8_t selector = data[at];
        const uint8_t* bytes = data + at + 1;
        tableOutcome = -1;
        switch (selector >> 6) {
        case 0:
        case 1:
            if (selector & 0x20)
                worker.execute(cmdReadParaTable);
            feed(worker, 19, uint16_t(0x05 | ((selector & 0x0F) << 8)), bytes);
            break;
        case 2:
            if (worker.pendingOp.load() != opReadPara) {
                worker.requestKind = (selector >> 1) & 0x7;
                worker.requestIndex = uint16_t(bytes[0] | (bytes[1] << 8));
                worker.execute(cmdReadParaNext);
            }
            feed(worker, 9, uint16_t(0x05 | ((selector & 1) << 8)), bytes);
            break;
        default:
            if (selector & 0x20) {
                worker.execute(cmdFactoryReset);
            } else if (worker.pendingOp.load() != opWritePara) {
                worker.requestKind = (selector >> 3) & 0x3;
                worker.requestIndex = bytes[0];
                worker.setModified(worker.requestKind, worker.requestIndex, true);
                worker.execute(cmdWriteParaRow);
            }
            feed(worker, 8, uint16_t(0x05 | ((selector & 0x1F) << 8)), bytes);
            break;
        }
        checkTable(worker, tableOutcome == stParaTableOk);
        if (tableOutcome == stParaTableError && (worker.paramErrorFlags & deIncompleteEntry))
            require(worker.incompleteCode >> 12 < 4);
    }
    worker.layoutRows();
    worker.execute(cmdIdle);
    return 0;
}
