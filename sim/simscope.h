#pragma once
// The drive's oscilloscope: the frequency reply with its tick length, the
// channel groups answered with the types of the variables asked for, a sample
// stream at the configured rate with a wrapping 16-bit timestamp and values
// that show the rotor for the variables the drive measures (its Position) and
// trace a sine, a ramp or a square for every other variable, and the stopped
// reply.
// Faults on request: error codes in replies, a wrong type echo, lost frames,
// ignored or unanswered stop requests.

#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

#include "sim/simfeature.h"

class SimParamTable;

class SimScope : public SimFeature {
public:
    SimScope(SimDriveContext& drive, const SimParamTable* table);
    bool handleFrame(const CanFrame& request) override;

    float tickMicros = 20.0f;
    uint16_t frequencyMax = 2600;
    uint16_t frequencyMin = 1;
    int batchMs = 10;  // samples due are sent together, as the drive's CAN queue would

    // Faults on request.
    bool answerConfiguration = true;
    uint8_t frequencyErrorCode = 0;    // forced into the frequency reply
    uint8_t channelErrorCode = 0;      // forced into the channel replies
    uint8_t sampleErrorCode = 0;       // carried by every sample frame
    bool wrongTypeEcho = false;        // the last channel's type is echoed one higher
    int dropMiddleFrameEvery = 0;      // every n-th sample of two or more frames loses one frame
    int ignoreStops = 0;               // this many stop requests go unanswered, the stream runs on
    bool stopWithoutReply = false;     // the stream stops, the stopped reply never comes

    // What the drive was told and did, for tests.
    uint16_t frequency = 0;
    uint16_t channelCodes[16] = {};
    int channelCount = 0;
    bool running = false;
    int samplesSent = 0;
    int samplesDamaged = 0;
    int stopRequests = 0;
    int startRequests = 0;

    // The value channel position i shows at time t for a variable of the type.
    static double traceValue(uint16_t code, uint32_t type, double t);

private:
    void replyFrame(uint8_t sub, uint8_t error, uint8_t frameNumber, const uint8_t* data);
    void answerChannels(const CanFrame& request);
    void sendDueSamples();
    void sendSample();
    int sampleBytes() const;
    uint32_t typeOf(uint16_t code, bool& known) const;

    const SimParamTable* table;
    QTimer sampleTimer;
    QElapsedTimer clock;
    double timestampTicks = 0;
    double origin = 0;  // the drive's clock at the start of the stream
};
