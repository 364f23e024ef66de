#pragma once
// The oscilloscope's pure rules: which variables the eight selectors name,
// whether a configuration fits the drive's output, the frequency field, the
// sample timestamps and values, and the wave file's lines.

#include <QByteArray>
#include <QString>
#include <cstdint>

struct ParameterTable;

namespace scopecodec {

// Identifier bits 16..17 of the oscilloscope frames.
enum SubCode : uint8_t { subFrequency = 0, subChannels = 1, subSample = 2, subStop = 3 };

struct ChannelPlan {
    uint16_t codes[8] = {};
    uint32_t types[8] = {};
    uint8_t channels[8] = {};  // channel numbers with a variable, ascending
    uint8_t count = 0;
    uint16_t sampleBytes = 2;  // timestamp and every active channel's value
};
// selectorIndex[c] is the index chosen in channel c's selector (0 = none).
ChannelPlan planChannels(const int selectorIndex[8], const ParameterTable& table);

int framesPerSample(uint16_t sampleBytes);

enum class ConfigVerdict { Accepted, NoChannels, TooFast };
ConfigVerdict checkConfiguration(const ChannelPlan& plan, uint16_t frequency, uint16_t frequencyMax);

struct FrequencyEntry {
    bool accepted = false;
    uint16_t value = 0;  // the frequency taken: the entry, or the limit that replaces it
};
FrequencyEntry parseFrequency(const QString& text, uint16_t minimum, uint16_t maximum);

// Emission period in samples and points kept per channel at the frequency.
uint32_t emissionPeriod(uint16_t frequency);
uint32_t windowPoints(uint16_t frequency);

// Ticks between two timestamps; an equal timestamp is a full wrap of 65536.
uint32_t timestampTicks(uint16_t last, uint16_t now);
// Seconds of those ticks, computed in single precision.
float ticksToSeconds(uint32_t ticks, float tickMicros);

// A channel value of the type at p, as the plot takes it (32/64-bit integers through single precision).
double sampleValue(uint32_t type, const uint8_t* p);

// One wave file line: the time, each active channel's field, CR LF. `values`
// points at the first channel value of the sample.
void appendWaveLine(QByteArray& out, double time, const uint8_t* values, const uint32_t* types, int count);

// Identifier data bits (8..23) of the channel group frame at list position `cursor`.
uint16_t channelGroupField(uint8_t channelCount, uint8_t cursor);

}  // namespace scopecodec
