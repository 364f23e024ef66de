#pragma once
// A firmware image as the boot loader receives it: 8-byte blocks, the last
// one padded with 0xFF; the file's bytes are sent exactly as stored.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace firmware {

constexpr uint32_t blockSize = 8;
constexpr quint64 largestImage = 524288;  // 512 KiB, 65536 blocks
// A block without any answer for this long is sent again, at most blockResends times.
constexpr uint32_t blockAnswerMs = 1000;
constexpr uint8_t blockResends = 3;

enum class ImageFault { none, missing, notRegularFile, empty, tooLarge, unreadable, malformedHex };

struct Image {
    ImageFault fault = ImageFault::none;
    QByteArray bytes;  // exactly as stored in the file; what is sent
    int badLine = 0;   // malformedHex: the first bad line, from 1
    QString cause;     // unreadable: the system's reason
};

// Reads the image the upgrade is to send: a regular file of 1..largestImage
// bytes, never opened when it is a FIFO, device or directory, and read
// without blocking. A .hex file must also be well-formed Intel HEX.
Image readImage(const QString& path);
// The checks of readImage on bytes already read (the file name decides .hex).
Image checkImage(const QString& fileName, QByteArray bytes);

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
