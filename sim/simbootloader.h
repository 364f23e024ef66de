#pragma once
// The drive's boot loader: erase, image information, one reply per block
// (optionally asking to continue from another block once), finish. It
// assembles what it received so a test can compare it with the file.

#include <QByteArray>
#include <QTimer>

#include "sim/simfeature.h"

class SimBootloader : public SimFeature {
public:
    explicit SimBootloader(SimDriveContext& drive);
    bool handleFrame(const CanFrame& request) override;

    int eraseDelayMs = 50;
    bool answerErase = true;
    bool failFinish = false;
    int continueAtBlock = -1;    // when this block first arrives, ask to continue from continueFromBlock
    int continueFromBlock = -1;
    int unansweredBlock = -1;    // this block is taken in but never answered

    uint32_t announcedSize = 0, announcedBlocks = 0;
    QByteArray image;            // the received blocks, in place
    int blocksReceived = 0;
    uint32_t lastBlock = 0;      // full number of the last block received
    bool finished = false;
    uint32_t finishBlockCount = 0;

    // The image as the drive assembled it, cut to the announced size.
    QByteArray assembled() const { return image.left(int(announcedSize)); }

private:
    static constexpr uint32_t maxBlocks = 65536;
    uint32_t nextBlock = 0;
    void reply(uint8_t type, uint16_t field, const uint8_t* data = nullptr);
    QTimer eraseTimer;
};
