// Oscilloscope frames from the drive through the receive path: any channel
// types, tick length and frequency, then sample frames (and stray replies) in
// any order, numbering and error code, decoded into the ring windows, the
// emitted vectors and wave file lines.
//
// Input: byte 0 channel count − 1 (low 3 bits); bytes 1..4 one type nibble
// per channel; bytes 5..6 frequency; bytes 7..10 tick length (IEEE single,
// any bits); then records of 9 bytes: sub-code (bits 6..7), error code
// (bits 4..5) and frame number (bits 0..3), then the frame's 8 data bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <qcustomplot.h>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

QByteArray scopeLine(uint8_t control, const uint8_t* data)
{
    CanFrame frame;
    const uint8_t sub = control >> 6;
    const uint8_t error = (control >> 4) & 3;
    const uint8_t number = control & 0x0F;
    frame.id = codec::makeId(10, hostId, uint16_t(1 | (sub | error << 2 | number << 4) << 8));
    frame.length = 8;
    std::memcpy(frame.data, data, 8);
    return adapterline::encodeDataLine(frame);
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static otaThread worker;
    static bool waveOpen = false;
    if (!waveOpen) {
        worker.waveFile.setFileName(QStringLiteral("/dev/null"));
        waveOpen = worker.waveFile.open(QIODevice::WriteOnly);
    }
    if (size < 11)
        return 0;

    const int count = (data[0] & 7) + 1;
    worker.scopeChannelCount = uint8_t(count);
    uint8_t echo[8] = {};
    int sampleBytes = 2;
    for (int c = 0; c < 8; ++c) {
        const uint32_t type = (data[1 + c / 2] >> (4 * (c % 2))) & 0x0F;
        worker.scopeChannels[c] = uint8_t(c);
        worker.channelCodes[c] = uint16_t(0x2000 + c);
        worker.channelTypes[c] = type;
        if (c < count) {
            echo[c / 2] = uint8_t(echo[c / 2] | type << (4 * (c % 2)));
            sampleBytes += valueSize(type);
        }
    }
    worker.sampleBytes = uint16_t(sampleBytes > 128 ? 128 : sampleBytes);
    // small windows keep each run fast; the ring wraps all the same
    worker.scopeFrequency = uint16_t(1 + ((data[5] | data[6] << 8) % 300));
    worker.scopeConfigCursor = 8;
    worker.waveSaving = waveOpen && (data[0] & 0x80);

    // the last channel reply: windows emptied and sized, types confirmed
    worker.getSerialData(scopeLine(1 << 6, echo));
    float tick;
    std::memcpy(&tick, data + 7, sizeof tick);
    worker.tickMicros = tick;

    QByteArray chunk;
    for (size_t offset = 11; offset + 9 <= size; offset += 9) {
        chunk += scopeLine(data[offset], data + offset + 1);
        if (chunk.size() > 200) {
            worker.getSerialData(chunk);
            chunk.clear();
        }
    }
    worker.getSerialData(chunk);

    worker.materializeWindows();
    for (int c = 0; c < 8; ++c) {
        check(worker.sampleWindows[c].size() <= worker.sampleWindows[c].capacity());
        check(worker.sampleVectors[c].size() == int(worker.sampleWindows[c].size()));
        check(worker.sampleWindows[c].capacity() == 0 || worker.sampleWindows[c].capacity() == worker.windowCapacity);
    }
    return 0;
}
