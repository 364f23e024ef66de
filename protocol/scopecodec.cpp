#include "protocol/scopecodec.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "protocol/parametertable.h"

using namespace codec;

namespace scopecodec {

ChannelPlan planChannels(const int selectorIndex[8], const ParameterTable& table)
{
    ChannelPlan plan;
    const int writable = table.kindCount[WritableParam];
    const int readOnly = table.kindCount[ReadOnlyParam];
    for (int c = 0; c < 8; ++c) {
        const int j = selectorIndex[c];
        if (j <= 0)
            continue;
        const int g = j + table.setupCount;
        if (g < writable) {
            plan.codes[c] = uint16_t(0x2000 | g);
            plan.types[c] = table.writableParams[g].valueType;
        } else if (g < writable + readOnly) {
            plan.codes[c] = uint16_t(0x3000 | (g - writable));
            plan.types[c] = table.readOnlyParams[g - writable].valueType;
        } else {
            continue;
        }
        plan.channels[plan.count++] = uint8_t(c);
        plan.sampleBytes = uint16_t(plan.sampleBytes + valueSize(plan.types[c]));
    }
    return plan;
}

int framesPerSample(uint16_t sampleBytes) { return (sampleBytes + 7) / 8; }

ConfigVerdict checkConfiguration(const ChannelPlan& plan, uint16_t frequency, uint16_t frequencyMax)
{
    if (plan.count == 0)
        return ConfigVerdict::NoChannels;
    if (uint32_t(framesPerSample(plan.sampleBytes)) * frequency > frequencyMax)
        return ConfigVerdict::TooFast;
    return ConfigVerdict::Accepted;
}

FrequencyEntry parseFrequency(const QString& text, uint16_t minimum, uint16_t maximum)
{
    bool ok = false;
    const qlonglong f = text.toLongLong(&ok, 10);
    const qlonglong n = ok ? f : 0;  // not a number counts as 0
    if (ok && n >= minimum && n <= maximum)
        return {true, uint16_t(n)};
    return {false, n > maximum ? maximum : minimum};
}

uint32_t emissionPeriod(uint16_t frequency) { return std::max<uint32_t>(1, frequency / 50u); }
uint32_t windowPoints(uint16_t frequency) { return uint32_t(frequency) * 10u; }

uint32_t timestampTicks(uint16_t last, uint16_t now)
{
    return now > last ? uint32_t(now - last) : uint32_t(now) + 65536u - last;
}

float ticksToSeconds(uint32_t ticks, float tickMicros) { return float(ticks) * tickMicros / 1000000.0f; }

double sampleValue(uint32_t type, const uint8_t* p)
{
    switch (type) {
    case vtUint8: return p[0];
    case vtInt8: return int8_t(p[0]);
    case vtUint16: return readLe16(p);
    case vtInt16: return int16_t(readLe16(p));
    case vtUint32: return float(readLe32(p));
    case vtInt32: return float(int32_t(readLe32(p)));
    case vtFloat: return readLeFloat(p);
    case vtUint64: return float(readLe64(p));
    case vtInt64: return float(int64_t(readLe64(p)));
    case vtDouble: {
        double d;
        const uint64_t bits = readLe64(p);
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default: return 0;
    }
}

void appendWaveLine(QByteArray& out, double time, const uint8_t* values, const uint32_t* types, int count)
{
    // wide enough for the largest double in fixed notation
    char text[400];
    const auto put = [&](int n) { out.append(text, std::clamp(n, 0, int(sizeof text) - 1)); };
    put(std::snprintf(text, sizeof text, "%14.6f", time));
    const uint8_t* p = values;
    for (int i = 0; i < count; ++i) {
        const uint32_t type = types[i];
        int n = 0;
        switch (type) {
        case vtUint8: n = std::snprintf(text, sizeof text, "%4d", int(p[0])); break;
        case vtInt8: n = std::snprintf(text, sizeof text, "%5d", int(int8_t(p[0]))); break;
        case vtUint16: n = std::snprintf(text, sizeof text, "%6d", int(readLe16(p))); break;
        case vtInt16: n = std::snprintf(text, sizeof text, "%7d", int(int16_t(readLe16(p)))); break;
        case vtUint32: n = std::snprintf(text, sizeof text, "%10" PRIu32, readLe32(p)); break;
        case vtInt32: n = std::snprintf(text, sizeof text, "%11" PRId32, int32_t(readLe32(p))); break;
        case vtFloat: n = std::snprintf(text, sizeof text, "%12.6f", double(readLeFloat(p))); break;
        case vtUint64: n = std::snprintf(text, sizeof text, "%15" PRIu64, readLe64(p)); break;
        case vtInt64: n = std::snprintf(text, sizeof text, "%16" PRId64, int64_t(readLe64(p))); break;
        case vtDouble: n = std::snprintf(text, sizeof text, "%16.8f", sampleValue(vtDouble, p)); break;
        default: std::memcpy(text, "null", 4); n = 4; break;
        }
        put(n);
        p += valueSize(type);
    }
    out.append("\r\n", 2);
}

uint16_t channelGroupField(uint8_t channelCount, uint8_t cursor)
{
    const unsigned countBits = (unsigned(channelCount - 1) & 0x0F) << 12;
    const unsigned groupBits = (unsigned(cursor / 4) << 10) & 0x0C00;
    return uint16_t(countBits | groupBits | (subChannels << 8) | hostId);
}

}  // namespace scopecodec
