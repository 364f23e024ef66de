// The firmware upgrade: erase request, image information, stop-and-wait
// block transfer (the drive may ask to continue from another block) and the
// finish frame.

#include "protocol/firmwareimage.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

using namespace codec;

void otaThread::executeUpgrade(unsigned code, CanFrame& frame)
{
    switch (code) {
    case cmdOtaErase:
        frame.id = makeId(commOtaErase, targetId, hostId);
        writeLe64(frame.data, selectedDevice < maxDevices ? deviceUids[selectedDevice] : 0);
        sendCanFrame(frame);
        setPending(opOtaErase);
        break;
    case cmdOtaSendInfo: {
        firmwareSize = uint32_t(firmwareImage.size());
        const firmware::SizeCheck check = firmware::checkSize(quint64(firmwareImage.size()));
        if (check != firmware::SizeCheck::accepted) {
            setPending(opNone);
            raiseState(check == firmware::SizeCheck::empty ? stOtaFileEmpty : stOtaFileTooLarge);
            return;
        }
        blockCount = firmware::blockCountFor(firmwareSize);
        blockPosition = 0;
        blockIndex = 0;
        blockRetries = 0;
        frame.id = makeId(commOtaInfo, targetId, hostId);
        firmware::informationBytes(firmwareSize, blockCount, frame.data);
        sendCanFrame(frame);
        setPending(opOtaInfo);
        break;
    }
    case cmdOtaSendBlock:
        // The identifier carries the low 16 bits; blockPosition counts the 65536th block too.
        frame.id = makeId(commOtaBlock, targetId, uint16_t(blockPosition & 0xFFFF));
        firmware::blockBytes(firmwareImage, blockPosition, frame.data);
        sendCanFrame(frame);
        blockSends.fetch_add(1, std::memory_order_release);
        loopTime().blockPause();
        setPending(opOtaBlock);
        break;
    case cmdOtaFinish:
        frame.id = makeId(commOtaFinish, targetId, 0);
        firmware::finishBytes(blockCount, frame.data);
        sendCanFrame(frame);
        setPending(opOtaFinish);
        break;
    default:
        break;
    }
}

void otaThread::handleBlockReply()
{
    ackFlag.store(1, std::memory_order_release);
    blockRetries = 0;
    const uint16_t replyField = field(rxFrame.id);
    int code = stateCode;
    if (replyField == targetId) {
        ++blockPosition;
        code = stOtaBlockAcked;
    } else if (replyField == (targetId | 0x0F00)) {
        blockPosition = readLe16(rxFrame.data);
        code = stOtaBlockResend;
    }
    blockIndex = uint16_t(blockPosition & 0xFFFF);
    if (blockPosition < blockCount) {
        execute(cmdOtaSendBlock);
    } else {
        code = stOtaTransferDone;
        execute(cmdOtaFinish);
    }
    raiseState(code);
}

void otaThread::handleFinishReply()
{
    const uint16_t replyField = field(rxFrame.id);
    if (replyField == targetId) {
        raiseState(stOtaSucceeded);
    } else if (replyField == (targetId | 0x0F00)) {
        blockIndex = readLe16(rxFrame.data);
        raiseState(stOtaFailed);
    } else {
        raiseState(stateCode);
    }
}

void otaThread::blockUnanswered(uint32_t sendsSeen)
{
    if (pendingOp.load(std::memory_order_acquire) != opOtaBlock
        || blockSends.load(std::memory_order_acquire) != sendsSeen)
        return;  // answered, re-sent or stopped meanwhile
    if (blockRetries < firmware::blockResends) {
        ++blockRetries;
        execute(cmdOtaSendBlock);
        return;
    }
    if (endPending(opOtaBlock))
        raiseState(stOtaBlockUnanswered);
}
