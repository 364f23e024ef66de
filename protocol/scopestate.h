#pragma once
// Members of the worker used by the oscilloscope: channel configuration,
// sample decoding and the per-channel windows, and the wave file. The GUI
// thread alone touches them; the run loop reads only the worker's
// `scopeRunning`.

#include <QFile>
#include <QVector>
#include <cstdint>

#include "protocol/recordfile.h"
#include "protocol/scopepoint.h"

// One channel's rolling window: a ring of at most `capacity` points, oldest
// first, so that adding a point costs the same whatever the window holds.
class SampleWindow {
public:
    void reset(uint32_t capacity);
    void append(double key, double value);
    uint32_t size() const { return count; }
    uint32_t capacity() const { return uint32_t(ring.size()); }
    // The points oldest first into `points`, whose first point was the `start`-th
    // ever appended (updated to the new first). A vector nothing else shares, still
    // a full earlier window, only moves up and takes the newest points; any other
    // is filled afresh.
    void copyTo(QVector<QCPGraphData>& points, uint64_t& start) const;

private:
    QVector<QCPGraphData> ring;
    uint32_t head = 0;   // index of the oldest point
    uint32_t count = 0;
    uint64_t appended = 0;  // points appended since the reset
};

struct ScopeState {
    // Out of line, where the point type is complete.
    ScopeState();
    ~ScopeState();

    uint16_t scopeFrequency = 100;
    uint16_t scopeFrequencyMax = 2600;
    uint16_t scopeFrequencyMin = 1;

    // configuration, written by the window before it issues a command
    uint8_t scopeChannelCount = 0;
    uint8_t scopeConfigCursor = 0;
    uint8_t scopeChannels[8] = {};
    uint16_t channelCodes[8] = {};
    uint32_t channelTypes[8] = {};
    uint32_t channelTypeEcho[8] = {};
    uint16_t sampleBytes = 2;

    // the drive's answer to the frequency
    float tickMicros = 0;
    uint16_t freqReplyWord1 = 0;
    uint16_t freqReplyWord2 = 0;

    // sample assembly and decoding
    uint8_t sampleBuffer[128] = {};
    uint16_t sampleFramesSeen = 0;   // bit k: frame k of the current sample arrived
    uint32_t droppedSamples = 0;     // samples whose earlier frames were lost
    uint32_t decodedSamples = 0;
    uint16_t lastTimestamp = 0;
    double sampleTime = 0;
    SampleWindow sampleWindows[8];
    QVector<QCPGraphData> sampleVectors[8];  // the windows as handed to the plot at each emission
    QVector<QCPGraphData> spareVectors[8];   // the ones handed over before, refilled once the plot lets go
    uint64_t sampleVectorStarts[8] = {};     // the number of samples before each one's first
    uint64_t spareVectorStarts[8] = {};
    uint32_t emitEvery = 1;
    uint32_t emitCounter = 0;
    uint32_t windowCapacity = 0;
    uint32_t sampleCount = 0;
    bool windowFull = false;

    // the wave file: one line per decoded sample while saving, the lines of each received chunk written together
    QFile waveFile;
    bool waveSaving = false;
    uint32_t waveLinesKept = 0;  // lines of the current or last file that reached it
    recordfile::WriteFailure waveFailure = recordfile::WriteFailure::none;  // why saving stopped in this run
};
