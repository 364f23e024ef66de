#include "sim/simbootloader.h"

#include "protocol/framecodec.h"

using namespace codec;

SimBootloader::SimBootloader(SimDriveContext& d) : SimFeature(d)
{
    eraseTimer.setSingleShot(true);
    connect(&eraseTimer, &QTimer::timeout, this, [this] { reply(commOtaErase, drive.canId()); });
}

void SimBootloader::reply(uint8_t type, uint16_t fieldBits, const uint8_t* data)
{
    CanFrame frame;
    frame.id = makeId(type, hostId, fieldBits);
    frame.length = 8;
    if (data)
        for (int i = 0; i < 8; ++i)
            frame.data[i] = data[i];
    drive.transmit(frame);
}

bool SimBootloader::handleFrame(const CanFrame& request)
{
    switch (commType(request.id)) {
    case commOtaErase:
        if (readLe64(request.data) != drive.mcuId())
            return true;
        image.clear();
        blocksReceived = 0;
        finished = false;
        if (answerErase)
            eraseTimer.start(eraseDelayMs);
        return true;
    case commOtaInfo:
        announcedSize = readLe32(request.data);
        announcedBlocks = readLe32(request.data + 4);
        image = QByteArray(int(qMin<uint32_t>(announcedBlocks, maxBlocks) * 8), '\0');
        nextBlock = 0;
        reply(commOtaInfo, drive.canId());
        return true;
    case commOtaBlock: {
        // The identifier carries the low 16 bits: take the full number nearest the expected block.
        qint64 block = (qint64(nextBlock) & ~qint64(0xFFFF)) | field(request.id);
        if (block + 0x8000 < qint64(nextBlock))
            block += 0x10000;
        else if (block > qint64(nextBlock) + 0x8000 && block >= 0x10000)
            block -= 0x10000;
        nextBlock = uint32_t(block + 1);
        lastBlock = uint32_t(block);
        if (block * 8 + 8 <= image.size())
            for (int i = 0; i < 8; ++i)
                image[int(block * 8 + i)] = char(request.data[i]);
        ++blocksReceived;
        if (block == unansweredBlock)
            return true;
        if (block == continueAtBlock) {
            continueAtBlock = -1;
            nextBlock = uint32_t(continueFromBlock);
            uint8_t data[8] = {uint8_t(continueFromBlock), uint8_t(continueFromBlock >> 8), 0, 0, 0, 0, 0, 0};
            reply(commOtaBlock, uint16_t(drive.canId() | 0x0F00), data);
        } else {
            reply(commOtaBlock, drive.canId());
        }
        return true;
    }
    case commOtaFinish:
        finished = true;
        finishBlockCount = readLe32(request.data);
        reply(commOtaFinish, uint16_t(failFinish ? (drive.canId() | 0x0F00) : drive.canId()));
        return true;
    default:
        return false;
    }
}
