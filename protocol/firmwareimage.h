#pragma once
// A firmware image as the boot loader receives it: 8-byte blocks, the last
// one padded with 0xFF; the file's bytes are sent exactly as stored.

#include <QByteArray>
#include <cstdint>

namespace firmware {

constexpr uint32_t blockSize = 8;
constexpr quint64 largestImage = 524288;  // 512 KiB, 65536 blocks

enum class SizeCheck { accepted, empty, tooLarge };
SizeCheck checkSize(quint64 imageSize);

inline uint32_t blockCountFor(uint32_t imageSize) { return uint32_t((quint64(imageSize) + blockSize - 1) / blockSize); }

// The eight bytes of block `block`: image bytes, 0xFF past the end.
void blockBytes(const QByteArray& image, uint32_t block, uint8_t out[8]);

// Image information: bytes 0..3 the size, 4..7 the block count (little-endian).
void informationBytes(uint32_t imageSize, uint32_t blocks, uint8_t out[8]);

// Finish frame: bytes 0..3 the block count (little-endian), 4..7 zero.
void finishBytes(uint32_t blocks, uint8_t out[8]);

// The 1 ms the drive is given after each block: slept mostly, the last
// stretch waited out on the clock, so the timer's overshoot does not add up
// over thousands of blocks.
void pauseAfterBlock();

}  // namespace firmware
