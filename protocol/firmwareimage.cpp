#include "protocol/firmwareimage.h"

#include <QThread>

#include <chrono>

#include "protocol/framecodec.h"

namespace firmware {

SizeCheck checkSize(quint64 imageSize)
{
    if (imageSize == 0)
        return SizeCheck::empty;
    if (imageSize > largestImage)
        return SizeCheck::tooLarge;
    return SizeCheck::accepted;
}

void blockBytes(const QByteArray& image, uint32_t block, uint8_t out[8])
{
    const quint64 start = quint64(block) * blockSize;
    const quint64 size = quint64(image.size());
    for (uint32_t i = 0; i < blockSize; ++i) {
        const quint64 at = start + i;
        out[i] = at < size ? uint8_t(image[int(at)]) : 0xFF;
    }
}

void informationBytes(uint32_t imageSize, uint32_t blocks, uint8_t out[8])
{
    codec::writeLe32(out, imageSize);
    codec::writeLe32(out + 4, blocks);
}

void finishBytes(uint32_t blocks, uint8_t out[8])
{
    codec::writeLe32(out, blocks);
    codec::writeLe32(out + 4, 0);
}

void pauseAfterBlock()
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::microseconds(1000);
    QThread::usleep(800);
    while (clock::now() < deadline)
        QThread::yieldCurrentThread();
}

}  // namespace firmware
