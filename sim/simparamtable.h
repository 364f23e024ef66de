#pragma once
// The drive's parameter table: writable and read-only strings and numbers of
// every value type with limits and decimal exponents, the oscilloscope set-up
// entries, the descriptor stream (paced like the adapter's line rate), value
// reads, writes in chunks, save and factory reset, and faults on request.

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QVector>

#include "sim/simfeature.h"

struct SimParam {
    QString name;
    uint32_t type = 10;      // 10 for strings
    QByteArray value;        // 16 bytes for strings, 8 for numbers (little-endian)
    QByteArray factory;      // the value a factory reset restores
    int16_t rawMin = 0, rawMax = 0;
    int8_t exponent = 0;
    uint8_t attribute = 1;
};

class SimParamTable : public SimFeature {
public:
    explicit SimParamTable(SimDriveContext& drive);
    bool handleFrame(const CanFrame& request) override;

    // kinds 0..3: writable strings, read-only strings, writable and read-only numbers
    QVector<SimParam> kinds[4];
    uint8_t setupCount = 2;
    int framesPerMs = 5;  // about the adapter's 5,421 lines per second

    // Faults on request.
    int dropDescriptorFrame = -1;      // this frame of a download (the end frame counts) is never sent
    int swapDescriptorFrame = -1;      // this frame and the next change places
    int writableStringCountDelta = 0;  // the end frame miscounts the writable strings
    bool sendEndFrame = true;
    bool answerDescriptors = true;
    uint8_t writeErrorCode = 0;        // every value write is answered with it
    int writeErrorAtCode = -1;         // ... or only the write of this function code
    bool readStatusError = false;      // value replies carry status 1

    // What the drive was asked, for tests.
    int tableRequests = 0;
    int descriptorFramesSent = 0;
    QVector<uint16_t> readCodes;       // function codes asked for, in order
    QVector<uint16_t> writtenCodes;    // entries completely written, in order
    int saves = 0;
    int factoryResets = 0;

    static SimParam text(const char* name, const char* value);
    static SimParam number(const char* name, uint32_t type, double value, int16_t rawMin, int16_t rawMax,
                           int8_t exponent, uint8_t attribute = 1);
    static QByteArray encode(uint32_t type, double value);
    static double decode(uint32_t type, const QByteArray& raw);
    static int sizeOf(uint32_t type);
    // The limits of a number as the descriptor gives them.
    static double limit(int16_t raw, int8_t exponent);

private:
    void startStream();
    void streamTick();
    void answerRead(const CanFrame& request);
    void answerWrite(const CanFrame& request);
    void reply(uint8_t type, uint8_t status, const uint8_t data[8]);
    SimParam* entry(uint16_t code);

    QVector<CanFrame> stream;
    int streamPos = 0;
    QTimer streamTimer;
    QByteArray writeBuffer;
    uint16_t writeCode = 0;
    int writeNextChunk = 0;
    uint16_t lastWriteCode = 0;
    uint8_t lastWriteType = 0, lastWriteChunk = 0;
};
