// The parameter-table transfer: descriptor download, value reads, the write
// frames (values in 4-byte chunks, save all, factory reset) and the judgement
// of the drive's write replies.

#include <algorithm>
#include <cstring>

#include "protocol/framecodec.h"
#include "protocol/otathread.h"

using namespace codec;

namespace {

// Write-reply error bits.
constexpr uint32_t wrNothingToWrite = 0x0002;
constexpr uint32_t wrWrongKind = 0x0004;
constexpr uint32_t wrTypeMismatch = 0x0008;
constexpr uint32_t wrChunkMismatch = 0x0020;
constexpr uint32_t wrCodeMismatch = 0x4000;
constexpr uint32_t wrCommandMismatch = 0x8000;

// Value-reply error bits.
constexpr uint32_t rdDriveError = 0x01;
constexpr uint32_t rdTypeError = 0x02;
constexpr uint32_t rdMissingChunk = 0x04;
constexpr uint32_t rdCodeMismatch = 0x10;

uint32_t writeFieldBits(uint32_t command) { return hostId | ((command & 0x3) << 8); }

}  // namespace

void otaThread::executeParam(unsigned code, CanFrame& frame)
{
    switch (code) {
    case cmdReadParaTable:
        beginDownload();
        paramErrorFlags = 0;
        frame.id = makeId(commParamTable, targetId, hostId);
        writeLe64(frame.data, selectedDevice < maxDevices ? deviceUids[selectedDevice] : 0);
        sendCanFrame(frame);
        setPending(opReadParaTable);
        return;

    case cmdReadParaFirst:
        // An empty kind has no entry 0 to ask for: start at the first entry there is.
        firstRead(requestKind, requestIndex);
        [[fallthrough]];
    case cmdReadParaNext:
        requestCode = uint16_t(((requestKind & 0xF) << 12) | (requestIndex % 4096));
        paramErrorFlags = 0;
        chunkCount = 0;
        frame.id = makeId(commParamRead, targetId, hostId);
        writeLe16(frame.data, requestCode);
        sendCanFrame(frame);
        setPending(opReadPara);
        return;

    case cmdWriteParaFirst:
        if (!firstModified(requestKind, requestIndex)) {
            paramErrorFlags = wrNothingToWrite;
            setPending(opNone);
            raiseState(stParaWriteError);
            return;
        }
        [[fallthrough]];
    case cmdWriteParaRow: {
        requestCode = functionCodeOf(requestKind, requestIndex);
        const bool text = requestKind == WritableString;
        uint32_t refused = 0;
        if (requestKind != WritableString && requestKind != WritableParam)
            refused = wrWrongKind;
        else if (requestIndex >= kindCount[requestKind])
            refused = wrNothingToWrite;
        if (refused) {
            paramErrorFlags = refused;
            setPending(opNone);
            raiseState(stParaWriteError);
            return;
        }
        writeCommand = writeValue;
        writtenCode = requestCode;
        paramErrorFlags = 0;
        int size = 0;
        if (text) {
            writeType = vtText;
            size = 16;
            std::memcpy(textBuffer, writableStrings[requestIndex].pendingText, 16);
        } else {
            const WritableParamEntry& entry = writableParams[requestIndex];
            writeType = entry.valueType;
            // a numeric entry holds at most 8 value bytes, whatever its type code says
            size = std::min(valueSize(entry.valueType), 8);
            std::memcpy(textBuffer, entry.pendingValue, size_t(size));
        }
        textBuffer[16] = 0;
        const int first = std::min(size, 4);
        chunkNumber = 0;
        bytesLeft = uint8_t(size - first);
        sendOffset = uint8_t(first);
        frame.id = makeId(commParamWrite, targetId, uint16_t(writeFieldBits(writeCommand)));
        writeLe16(frame.data, requestCode);
        frame.data[2] = uint8_t(writeType);
        frame.data[3] = chunkNumber;
        std::memcpy(frame.data + 4, textBuffer, size_t(first));
        sendCanFrame(frame);
        setPending(opWritePara);
        return;
    }

    case cmdSaveParams:
        writeCommand = writeSaveAll;
        paramErrorFlags = 0;
        frame.id = makeId(commParamWrite, targetId, uint16_t(writeFieldBits(writeCommand)));
        sendCanFrame(frame);
        setPending(opWritePara);
        return;

    case cmdFactoryReset:
        writeCommand = writeFactoryReset;
        paramErrorFlags = 0;
        for (uint8_t i = 0; i < 8; ++i)
            frame.data[i] = uint8_t(i + 1);
        // Its reply is judged like the reply to the last value written (a read
        // since then does not count); it names no entry of the table to commit
        // and has no further chunk to send.
        requestKind = noTableEntry;
        requestIndex = 0;
        requestCode = writtenCode;
        bytesLeft = 0;
        sendOffset = 0;
        frame.id = makeId(commParamWrite, targetId, uint16_t(writeFieldBits(writeCommand)));
        sendCanFrame(frame);
        setPending(opNone);
        return;

    default:
        setPending(opNone);
        return;
    }
}

void otaThread::handleDescriptorFrame()
{
    const uint8_t code = high(rxFrame.id);
    if (code == descriptorEndCode) {
        paramErrorFlags = paramErrorFlags | acceptEndFrame(rxFrame.data);
        lastFrameCode = descriptorEndCode;
        // Only a running download is acknowledged: a stray end frame must not
        // complete some other operation.
        if (pendingOp.load(std::memory_order_acquire) == opReadParaTable)
            ackFlag.store(1, std::memory_order_release);
        raiseState(paramErrorFlags == 0 ? stParaTableOk : stParaTableError);
        return;
    }
    paramErrorFlags = paramErrorFlags | acceptDescriptor(code, rxFrame.data, lastFrameCode);
    lastFrameCode = code;
}

void otaThread::handleParamValueReply()
{
    const uint32_t driveError = high(rxFrame.id) == 1 ? rdDriveError : 0;
    const auto fail = [this](uint32_t bits) {
        paramErrorFlags = bits;
        endPending(opReadPara);
        raiseState(stParaReadError);
    };
    if (readLe16(rxFrame.data) != requestCode)
        return fail(rdCodeMismatch | driveError);

    const uint32_t type = rxFrame.data[2];
    const uint32_t kind = requestKind;
    const bool textKind = kind == WritableString || kind == ReadOnlyString;
    const bool numericKind = kind == WritableParam || kind == ReadOnlyParam;
    if ((textKind && type != vtText) || (numericKind && type != valueTypeOf(kind, requestIndex)))
        return fail(rdTypeError | driveError);

    const int size = valueSize(type);
    const int chunks = (size + 3) / 4;
    const uint8_t chunk = rxFrame.data[3];
    if (chunk >= chunks || chunk != chunkCount)
        return fail(rdMissingChunk | driveError);
    std::memcpy(textBuffer + 4 * chunk, rxFrame.data + 4, 4);
    chunkCount = uint8_t(chunkCount + 1);
    if (chunkCount < chunks)
        return;  // the next chunk follows

    textBuffer[16] = 0;
    if (requestIndex >= kindCapacity(kind))
        return fail(rdDriveError);
    if (kind == WritableString)
        writableStrings[requestIndex].valueText = latin1Text(textBuffer, 16);
    else if (kind == ReadOnlyString)
        readOnlyStrings[requestIndex].valueText = latin1Text(textBuffer, 16);
    else if (kind == WritableParam)
        std::memcpy(writableParams[requestIndex].value, textBuffer, size_t(std::min(size, 8)));
    else
        std::memcpy(readOnlyParams[requestIndex].value, textBuffer, size_t(std::min(size, 8)));

    if (driveError)
        return fail(rdDriveError);
    paramErrorFlags = 0;
    endPending(opReadPara);
    raiseState(stParaReadOk);
}

void otaThread::handleParamWriteReply()
{
    replyCommand = high(rxFrame.id) & 0x3;
    replyErrorCode = high(rxFrame.id) >> 2;
    const auto fail = [this](uint32_t bits) {
        paramErrorFlags = paramErrorFlags | bits;
        endPending(opWritePara);
        raiseState(stParaWriteError);
    };
    if (replyCommand != writeCommand)
        return fail(wrCommandMismatch);
    if (replyCommand != writeSaveAll && readLe16(rxFrame.data) != requestCode)
        return fail(wrCodeMismatch);
    if (rxFrame.data[2] != writeType)
        return fail(wrTypeMismatch);
    if (rxFrame.data[3] != chunkNumber)
        return fail(wrChunkMismatch);
    if (replyErrorCode != 0)
        return fail(1u << (replyErrorCode % 32));

    if (replyCommand == writeSaveAll) {
        endPending(opWritePara);
        raiseState(stParaSaveOk);
        return;
    }
    if (bytesLeft == 0) {
        endPending(opWritePara);
        raiseState(stParaWriteOk);
        return;
    }
    CanFrame frame = requestFrame(commParamWrite);
    frame.id = makeId(commParamWrite, targetId, uint16_t(writeFieldBits(writeCommand)));
    chunkNumber = uint8_t(chunkNumber + 1);
    const int piece = std::min<int>(bytesLeft, 4);
    writeLe16(frame.data, requestCode);
    frame.data[2] = uint8_t(writeType);
    frame.data[3] = chunkNumber;
    std::memcpy(frame.data + 4, textBuffer + sendOffset, size_t(piece));
    bytesLeft = uint8_t(bytesLeft - piece);
    sendOffset = uint8_t(sendOffset + piece);
    sendCanFrame(frame);
}
