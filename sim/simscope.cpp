#include "sim/simscope.h"

#include <cmath>
#include <cstring>

#include "protocol/framecodec.h"
#include "sim/simparamtable.h"

using namespace codec;

namespace {

constexpr double pi = 3.14159265358979323846;

}  // namespace

SimScope::SimScope(SimDriveContext& d, const SimParamTable* t) : SimFeature(d), table(t)
{
    connect(&sampleTimer, &QTimer::timeout, this, [this] { sendDueSamples(); });
}

uint32_t SimScope::typeOf(uint16_t code, bool& known) const
{
    const int kind = code >> 12;
    const int index = code & 0x0FFF;
    known = table && (kind == 2 || kind == 3) && index < table->kinds[kind].size();
    return known ? table->kinds[kind][index].type : 0;
}

int SimScope::sampleBytes() const
{
    int bytes = 2;
    for (int i = 0; i < channelCount; ++i) {
        bool known = false;
        bytes += SimParamTable::sizeOf(typeOf(channelCodes[i], known));
    }
    return bytes;
}

void SimScope::replyFrame(uint8_t sub, uint8_t error, uint8_t frameNumber, const uint8_t* data)
{
    CanFrame frame;
    frame.id = makeId(commScope, hostId, uint16_t(drive.canId() | (sub & 3) << 8 | (error & 3) << 10 | (frameNumber & 0x0F) << 12));
    frame.length = 8;
    if (data)
        std::memcpy(frame.data, data, 8);
    drive.transmit(frame);
}

bool SimScope::handleFrame(const CanFrame& request)
{
    if (commType(request.id) != commScope)
        return false;
    const uint8_t sub = (request.id >> 16) & 3;
    switch (sub) {
    case 0: {
        frequency = readLe16(request.data);
        if (!answerConfiguration)
            return true;
        uint8_t data[8];
        writeLeFloat(data, tickMicros);
        writeLe16(data + 4, frequencyMax);
        writeLe16(data + 6, frequencyMin);
        const bool outOfRange = frequency < frequencyMin || frequency > frequencyMax;
        replyFrame(0, frequencyErrorCode ? frequencyErrorCode : (outOfRange ? 1 : 0), 0, data);
        return true;
    }
    case 1:
        answerChannels(request);
        return true;
    case 2:
        ++startRequests;
        running = true;
        samplesSent = 0;
        timestampTicks = 0;
        origin = drive.clockSeconds();
        clock.start();
        sampleTimer.start(batchMs);
        return true;
    default:
        ++stopRequests;
        if (ignoreStops > 0) {
            --ignoreStops;
            return true;
        }
        running = false;
        sampleTimer.stop();
        if (!stopWithoutReply)
            replyFrame(3, 0, 0, nullptr);
        return true;
    }
}

void SimScope::answerChannels(const CanFrame& request)
{
    const int group = (request.id >> 18) & 3;
    channelCount = int((request.id >> 20) & 0x0F) + 1;
    bool allKnown = true;
    for (int i = 0; i < 4; ++i) {
        const int position = group * 4 + i;
        channelCodes[position] = readLe16(request.data + 2 * i);
        bool known = false;
        typeOf(channelCodes[position], known);
        if (position < channelCount && !known)
            allKnown = false;
    }
    if (!answerConfiguration)
        return;
    if (channelErrorCode || !allKnown) {
        replyFrame(1, channelErrorCode ? channelErrorCode : 1, 0, nullptr);
        return;
    }
    if ((group + 1) * 4 < channelCount) {
        replyFrame(1, 0, 0, nullptr);
        return;
    }
    if (((sampleBytes() + 7) / 8) * frequency > frequencyMax) {
        replyFrame(1, 2, 0, nullptr);
        return;
    }
    uint8_t nibbles[8] = {};
    for (int i = 0; i < channelCount; ++i) {
        bool known = false;
        uint32_t type = typeOf(channelCodes[i], known);
        if (wrongTypeEcho && i == channelCount - 1)
            type = (type + 1) & 0x0F;
        nibbles[i / 2] = uint8_t(nibbles[i / 2] | (type & 0x0F) << (4 * (i % 2)));
    }
    replyFrame(1, 0, 0, nibbles);
}

double SimScope::traceValue(uint16_t code, uint32_t type, double t)
{
    double shape = 0;  // -1 .. 1
    switch (code % 3) {
    case 0: shape = std::sin(2 * pi * 0.5 * t); break;        // sine, 2 s period
    case 1: shape = 2 * (t / 2 - std::floor(t / 2)) - 1; break;  // ramp, 2 s period
    default: shape = std::fmod(t, 1.0) < 0.5 ? 1 : -1; break;   // square, 1 s period
    }
    switch (type) {
    case 0: case 2: case 4: case 7: return std::round(100 + 100 * shape);  // unsigned: 0 .. 200
    case 6: case 9: return 10 * shape + 0.25 * (code & 7);
    default: return std::round(100 * shape);
    }
}

void SimScope::sendDueSamples()
{
    if (!running || frequency == 0)
        return;
    const qint64 due = clock.nsecsElapsed() * frequency / 1000000000;
    for (int n = 0; samplesSent < due && n < 5000; ++n)
        sendSample();
}

void SimScope::sendSample()
{
    timestampTicks += 1e6 / (double(frequency) * double(tickMicros));
    uint8_t sample[128] = {};
    const uint16_t timestamp = uint16_t(std::llround(timestampTicks) & 0xFFFF);
    writeLe16(sample, timestamp);
    const double t = double(samplesSent) / frequency;
    int offset = 2;
    for (int i = 0; i < channelCount && offset < 120; ++i) {
        bool known = false;
        const uint32_t type = typeOf(channelCodes[i], known);
        // Measurements of the rotor show the drive's motion; other variables trace their test shapes.
        double value = 0;
        if (!known || !drive.measure(table->kinds[channelCodes[i] >> 12][channelCodes[i] & 0x0FFF].name, origin + t, value))
            value = traceValue(channelCodes[i], type, t);
        const QByteArray raw = SimParamTable::encode(type, value);
        const int size = SimParamTable::sizeOf(type);
        std::memcpy(sample + offset, raw.constData(), size_t(size));
        offset += size;
    }
    const int frames = (offset + 7) / 8;
    ++samplesSent;
    const bool damage = dropMiddleFrameEvery > 0 && frames >= 2 && samplesSent % dropMiddleFrameEvery == 0;
    if (damage)
        ++samplesDamaged;
    for (int k = 0; k < frames; ++k) {
        if (damage && k == frames / 2 - (frames == 2 ? 1 : 0))
            continue;  // with two frames the first is lost: the last one completes the sample
        replyFrame(2, sampleErrorCode, uint8_t(k), sample + 8 * k);
    }
}
