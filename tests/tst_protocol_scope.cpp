// The oscilloscope in the worker: which variables the selectors name, the
// configuration check and frames, the frequency field, the replies, the
// sample decoding into windows, the thinning of emissions and the wave lines.

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <fcntl.h>
#include <qcustomplot.h>
#include <sys/stat.h>
#include <unistd.h>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "protocol/scopecodec.h"
#include "tests/support/virtualclock.h"

using namespace scopecodec;

namespace {

QByteArray driveFrame(unsigned sub, unsigned error, unsigned frameNumber, const QByteArray& data, uint8_t src = 1)
{
    CanFrame frame;
    frame.id = codec::makeId(10, hostId, uint16_t(src | sub << 8 | error << 10 | frameNumber << 12));
    frame.length = 8;
    for (int i = 0; i < 8 && i < data.size(); ++i)
        frame.data[i] = uint8_t(data[i]);
    return adapterline::encodeDataLine(frame);
}

QByteArray le16(uint16_t v)
{
    const char bytes[2] = {char(v & 0xFF), char(v >> 8)};
    return QByteArray(bytes, 2);
}
QByteArray leFloat(float f)
{
    QByteArray out(4, '\0');
    codec::writeLeFloat(reinterpret_cast<uint8_t*>(out.data()), f);
    return out;
}

struct Recorder {
    QList<int> states;
    QStringList sent;  // identifier, length and data of each frame written
    int emissions = 0;
    int failures = 0;
    explicit Recorder(otaThread& worker)
    {
        QObject::connect(&worker, &otaThread::sendState, [this, &worker] { states << worker.stateCode; });
        QObject::connect(&worker, &otaThread::WriteToSerial,
                         [this](QByteArray d, qint16) {
                             const CanFrame f = adapterline::parseDataLine(d);
                             sent << QString("%1 %2 ").arg(f.id, 8, 16, QChar('0')).arg(f.length)
                                         + QByteArray(reinterpret_cast<const char*>(f.data), 8).toHex(' ');
                         });
        QObject::connect(&worker, &otaThread::scopeToShow, [this](QVector<QCPGraphData>*) { ++emissions; });
        QObject::connect(&worker, &otaThread::waveFileFailed, [this] { ++failures; });
    }
};

// A table of writable parameters (two set-up entries, the frequency, then
// variables) and read-only parameters of the given types.
void fillTable(ParameterTable& table, const QVector<uint32_t>& writable, const QVector<uint32_t>& readOnly)
{
    table.setupCount = 2;
    table.kindCount[WritableParam] = uint16_t(writable.size());
    table.kindCount[ReadOnlyParam] = uint16_t(readOnly.size());
    for (int i = 0; i < writable.size(); ++i)
        table.writableParams[i].valueType = writable[i];
    for (int i = 0; i < readOnly.size(); ++i)
        table.readOnlyParams[i].valueType = readOnly[i];
}

// A worker configured for the channels of `plan`, at `frequency`, its configuration completed.
void configure(otaThread& worker, const ChannelPlan& plan, uint16_t frequency)
{
    std::copy(std::begin(plan.codes), std::end(plan.codes), worker.channelCodes);
    std::copy(std::begin(plan.types), std::end(plan.types), worker.channelTypes);
    std::copy(std::begin(plan.channels), std::end(plan.channels), worker.scopeChannels);
    worker.scopeChannelCount = plan.count;
    worker.sampleBytes = plan.sampleBytes;
    worker.scopeFrequency = frequency;
    worker.scopeConfigCursor = uint8_t((plan.count + 3) / 4 * 4);
    worker.getSerialData(driveFrame(0, 0, 0, leFloat(20.0f) + le16(2600) + le16(1)));
    QByteArray nibbles(8, '\0');
    for (int i = 0; i < plan.count; ++i)
        nibbles[i / 2] = char(nibbles[i / 2] | int(plan.types[plan.channels[i]]) << (4 * (i % 2)));
    worker.getSerialData(driveFrame(1, 0, 0, nibbles));
}

// Channels 0 (int16) and 2 (float): 8 bytes, one frame per sample.
ChannelPlan int16AndFloat()
{
    ChannelPlan plan;
    plan.codes[0] = 0x2003;
    plan.types[0] = vtInt16;
    plan.codes[2] = 0x3000;
    plan.types[2] = vtFloat;
    plan.channels[0] = 0;
    plan.channels[1] = 2;
    plan.count = 2;
    plan.sampleBytes = 8;
    return plan;
}

QByteArray sample(uint16_t timestamp, int16_t a, float b)
{
    return le16(timestamp) + le16(uint16_t(a)) + leFloat(b);
}

}  // namespace

class ScopeProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void channelPlan_data();
    void channelPlan();
    void frequencyField_data();
    void frequencyField();
    void emissionAndWindow_data();
    void emissionAndWindow();
    void hostFrames();
    void channelGroups();
    void stopRequest_data();
    void stopRequest();
    void configurationReplies_data();
    void configurationReplies();
    void timestamps_data();
    void timestamps();
    void sampleValues_data();
    void sampleValues();
    void decodingIntoWindows();
    void handedWindows_data();
    void handedWindows();
    void incompleteSamplesDropped();
    void sampleError();
    void waveLines_data();
    void waveLines();
    void waveFileWriteFailure_data();
    void waveFileWriteFailure();
};

void ScopeProtocolTest::channelPlan_data()
{
    QTest::addColumn<QVector<int>>("selected");  // the eight selector indices
    QTest::addColumn<QVector<int>>("channels");
    QTest::addColumn<QVector<int>>("codes");     // per active channel
    QTest::addColumn<int>("sampleBytes");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("verdict");

    // writable: 2 set-up entries, the frequency, int16, float, double, double, double; read-only: uint8, int32
    QTest::newRow("int16 on ch1, float on ch3: one frame, accepted at the maximum")
        << QVector<int>{1, 0, 2, 0, 0, 0, 0, 0} << QVector<int>{0, 2} << QVector<int>{0x2003, 0x2004} << 8 << 2600
        << int(ConfigVerdict::Accepted);
    QTest::newRow("three doubles: four frames at 1000 Hz is too fast")
        << QVector<int>{3, 4, 5, 0, 0, 0, 0, 0} << QVector<int>{0, 1, 2} << QVector<int>{0x2005, 0x2006, 0x2007} << 26
        << 1000 << int(ConfigVerdict::TooFast);
    QTest::newRow("three doubles at 650 Hz fit")
        << QVector<int>{3, 4, 5, 0, 0, 0, 0, 0} << QVector<int>{0, 1, 2} << QVector<int>{0x2005, 0x2006, 0x2007} << 26
        << 650 << int(ConfigVerdict::Accepted);
    QTest::newRow("read-only variables continue after the writable ones")
        << QVector<int>{0, 0, 0, 0, 0, 0, 6, 7} << QVector<int>{6, 7} << QVector<int>{0x3000, 0x3001} << 7 << 100
        << int(ConfigVerdict::Accepted);
    QTest::newRow("an index beyond the table names nothing")
        << QVector<int>{8, 0, 0, 0, 0, 0, 0, 0} << QVector<int>{} << QVector<int>{} << 2 << 100
        << int(ConfigVerdict::NoChannels);
    QTest::newRow("no channel") << QVector<int>(8, 0) << QVector<int>{} << QVector<int>{} << 2 << 100
                                << int(ConfigVerdict::NoChannels);
}

void ScopeProtocolTest::channelPlan()
{
    QFETCH(QVector<int>, selected);
    QFETCH(QVector<int>, channels);
    QFETCH(QVector<int>, codes);
    QFETCH(int, sampleBytes);
    QFETCH(int, frequency);
    QFETCH(int, verdict);

    auto table = std::make_unique<ParameterTable>();
    fillTable(*table, {vtUint8, vtUint8, vtUint16, vtInt16, vtFloat, vtDouble, vtDouble, vtDouble}, {vtUint8, vtInt32});
    const ChannelPlan plan = planChannels(selected.constData(), *table);
    QCOMPARE(int(plan.count), channels.size());
    for (int i = 0; i < channels.size(); ++i) {
        QCOMPARE(int(plan.channels[i]), channels[i]);
        QCOMPARE(int(plan.codes[channels[i]]), codes[i]);
    }
    for (int c = 0; c < 8; ++c)
        if (!channels.contains(c))
            QCOMPARE(int(plan.codes[c]), 0);
    QCOMPARE(int(plan.sampleBytes), sampleBytes);
    QCOMPARE(int(checkConfiguration(plan, uint16_t(frequency), 2600)), verdict);
}

void ScopeProtocolTest::frequencyField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("value");

    QTest::newRow("the maximum") << "2600" << true << 2600;
    QTest::newRow("the minimum") << "1" << true << 1;
    QTest::newRow("far above: the maximum") << "99999999999" << false << 2600;
    QTest::newRow("negative: the minimum") << "-5" << false << 1;
}

void ScopeProtocolTest::frequencyField()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, value);
    const FrequencyEntry entry = parseFrequency(text, 1, 2600);
    QCOMPARE(entry.accepted, accepted);
    QCOMPARE(int(entry.value), value);
}

void ScopeProtocolTest::emissionAndWindow_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("emitEvery");
    QTest::addColumn<int>("capacity");
    QTest::newRow("100 Hz") << 100 << 2 << 1000;
    QTest::newRow("30 Hz") << 30 << 1 << 300;
    QTest::newRow("1 Hz") << 1 << 1 << 10;
    QTest::newRow("2600 Hz") << 2600 << 52 << 26000;
}

void ScopeProtocolTest::emissionAndWindow()
{
    QFETCH(int, frequency);
    QFETCH(int, emitEvery);
    QFETCH(int, capacity);
    QCOMPARE(int(emissionPeriod(uint16_t(frequency))), emitEvery);
    QCOMPARE(int(windowPoints(uint16_t(frequency))), capacity);
}

void ScopeProtocolTest::hostFrames()
{
    otaThread worker;
    worker.targetId = 5;
    worker.scopeFrequency = 2600;
    Recorder out(worker);

    worker.execute(cmdScopeFrequency);
    worker.execute(cmdScopeStart);
    worker.execute(cmdScopeStop);
    QCOMPARE(out.sent, (QStringList{"0a00fd05 8 28 0a 11 00 00 10 0e 00", "0a02fd05 8 00 00 00 00 00 00 00 00",
                                    "0a03fd05 8 00 00 00 00 00 00 00 00"}));
    QCOMPARE(worker.pendingOp.load(), int(opScopeStop));
    worker.execute(cmdScopeFrequency);
    QCOMPARE(worker.pendingOp.load(), int(opScopeConfig));
    worker.execute(cmdScopeStart);
    QCOMPARE(worker.pendingOp.load(), int(opScopeStart));
}

void ScopeProtocolTest::channelGroups()
{
    // six channels: positions 0..3 in group 0, 4..5 in group 1, bits 20..23 = 5
    otaThread worker;
    worker.targetId = 1;
    worker.scopeChannelCount = 6;
    const uint8_t channels[6] = {0, 1, 3, 4, 6, 7};
    for (int i = 0; i < 6; ++i) {
        worker.scopeChannels[i] = channels[i];
        worker.channelCodes[channels[i]] = uint16_t(0x2010 + i);
    }
    worker.scopeConfigCursor = 0;
    Recorder out(worker);
    worker.execute(cmdScopeChannels);
    QCOMPARE(worker.pendingOp.load(), int(opScopeConfig));
    // the drive's reply to the first group asks for the next one
    worker.getSerialData(driveFrame(1, 0, 0, QByteArray(8, '\0')));
    QCOMPARE(out.sent, (QStringList{"0a51fd01 8 10 20 11 20 12 20 13 20", "0a55fd01 8 14 20 15 20 00 00 00 00"}));
    QCOMPARE(int(worker.scopeConfigCursor), 8);
    QVERIFY(out.states.isEmpty());
}

void ScopeProtocolTest::stopRequest_data()
{
    // What the drive does after the stop request, poll by poll of the run loop (2 ms each).
    QTest::addColumn<bool>("streaming");   // samples arrived before the request
    QTest::addColumn<int>("sampleAt");     // samples arrive from this poll on (-1: none)
    QTest::addColumn<int>("stoppedAt");    // the stopped reply arrives after this many polls (-1: never)
    QTest::addColumn<int>("stopFrames");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("endMs");

    QTest::newRow("confirmed while streaming") << true << -1 << 5 << 6 << int(stScopeStopped) << 10;
    QTest::newRow("a sample ends the repetition, then confirmed") << true << 3 << 40 << 4 << int(stScopeStopped) << 80;
    QTest::newRow("keeps streaming, never confirms") << true << 3 << -1 << 4 << int(stScopeStopUnconfirmed) << 1000;
    QTest::newRow("falls silent") << true << -1 << -1 << 500 << int(stScopeStopUnconfirmed) << 1000;
    QTest::newRow("nothing streamed, confirmed") << false << -1 << 2 << 1 << int(stScopeStopped) << 4;
    QTest::newRow("nothing streamed, no answer") << false << -1 << -1 << 1 << int(stScopeStopUnconfirmed) << 1000;
}

void ScopeProtocolTest::stopRequest()
{
    QFETCH(bool, streaming);
    QFETCH(int, sampleAt);
    QFETCH(int, stoppedAt);
    QFETCH(int, stopFrames);
    QFETCH(int, state);
    QFETCH(int, endMs);
    otaThread worker;
    unsigned now = 0;
    VirtualClock clock;
    clock.onSleep = [&](unsigned ms) { now += ms; };
    worker.setClock(&clock);
    Recorder out(worker);
    configure(worker, int16AndFloat(), 100);
    worker.execute(cmdScopeStart);
    if (streaming)
        worker.getSerialData(driveFrame(2, 0, 0, sample(5, 1, 1)));
    out.states.clear();
    out.sent.clear();

    worker.execute(cmdScopeStop);
    for (int poll = 1; worker.pendingOp.load() != opNone && poll < 5000; ++poll) {
        worker.pollOnce();
        if (sampleAt >= 0 && poll >= sampleAt && (stoppedAt < 0 || poll < stoppedAt))
            worker.getSerialData(driveFrame(2, 0, 0, sample(uint16_t(10 + poll), 2, 2)));
        if (poll == stoppedAt)
            worker.getSerialData(driveFrame(3, 0, 0, QByteArray(8, '\0')));
    }
    QCOMPARE(out.sent.size(), stopFrames);
    QCOMPARE(out.states, QList<int>{state});
    QCOMPARE(int(now), endMs);
    QCOMPARE(worker.scopeRunning.load(), uint8_t(streaming && state != stScopeStopped));
}

void ScopeProtocolTest::configurationReplies_data()
{
    QTest::addColumn<int>("sub");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("wrongEcho");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("flags");

    QTest::newRow("frequency accepted") << 0 << 0 << false << int(stScopeFreqOk) << 0;
    QTest::newRow("frequency refused") << 0 << 1 << false << int(stScopeConfigError) << 0x02;
    QTest::newRow("channels accepted") << 1 << 0 << false << int(stScopeChannelsOk) << 0;
    QTest::newRow("unknown variables") << 1 << 1 << false << int(stScopeConfigError) << 0x04;
    QTest::newRow("too much data") << 1 << 2 << false << int(stScopeConfigError) << 0x08;
    QTest::newRow("frame error") << 1 << 3 << false << int(stScopeConfigError) << 0x10;
    QTest::newRow("type echo differs") << 1 << 0 << true << int(stScopeConfigError) << 0x40;
}

void ScopeProtocolTest::configurationReplies()
{
    QFETCH(int, sub);
    QFETCH(int, error);
    QFETCH(bool, wrongEcho);
    QFETCH(int, state);
    QFETCH(int, flags);

    otaThread worker;
    const ChannelPlan plan = int16AndFloat();
    std::copy(std::begin(plan.types), std::end(plan.types), worker.channelTypes);
    std::copy(std::begin(plan.channels), std::end(plan.channels), worker.scopeChannels);
    worker.scopeChannelCount = 2;
    worker.scopeConfigCursor = 4;
    worker.sampleTime = 3.0;
    worker.lastTimestamp = 99;
    worker.paramErrorFlags = 0x7F;
    worker.setPending(opScopeConfig);
    Recorder out(worker);

    const QByteArray data = sub == 0 ? leFloat(20.0f) + le16(2600) + le16(1)
                                     : QByteArray(1, char(vtInt16 | (wrongEcho ? vtDouble : vtFloat) << 4));
    worker.getSerialData(driveFrame(unsigned(sub), unsigned(error), 0, data));
    QCOMPARE(out.states, QList<int>{state});
    QCOMPARE(int(worker.paramErrorFlags), flags);
    QCOMPARE(worker.pendingOp.load(), int(opNone));
    if (sub == 0) {
        QCOMPARE(worker.tickMicros, 20.0f);
        QCOMPARE(int(worker.freqReplyWord1), 2600);
        QCOMPARE(int(worker.freqReplyWord2), 1);
    } else {
        QCOMPARE(worker.sampleTime, 0.0);
        QCOMPARE(int(worker.lastTimestamp), 0);
    }
    if (state == stScopeChannelsOk || flags == 0x40) {
        QCOMPARE(worker.channelTypeEcho[0], uint32_t(vtInt16));
        QCOMPARE(worker.channelTypeEcho[2], uint32_t(wrongEcho ? vtDouble : vtFloat));
    }
}

void ScopeProtocolTest::timestamps_data()
{
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("now");
    QTest::addColumn<int>("ticks");
    QTest::newRow("forward") << 100 << 150 << 50;
    QTest::newRow("wrap") << 65530 << 10 << 16;
    QTest::newRow("equal: a full wrap") << 7 << 7 << 65536;
    QTest::newRow("to zero") << 65535 << 0 << 1;
}

void ScopeProtocolTest::timestamps()
{
    QFETCH(int, last);
    QFETCH(int, now);
    QFETCH(int, ticks);
    QCOMPARE(int(timestampTicks(uint16_t(last), uint16_t(now))), ticks);

    // through the receive path at 20 µs per tick: the time advances by the ticks in single precision
    otaThread worker;
    configure(worker, int16AndFloat(), 100);
    worker.lastTimestamp = uint16_t(last);
    worker.sampleTime = 1.0;
    worker.getSerialData(driveFrame(2, 0, 0, sample(uint16_t(now), 0, 0)));
    QCOMPARE(worker.sampleTime, 1.0 + double(float(ticks) * 20.0f / 1000000.0f));
    QCOMPARE(int(worker.lastTimestamp), now);
}

void ScopeProtocolTest::sampleValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<double>("value");

    const auto raw = [](const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); };
    QTest::newRow("uint8") << int(vtUint8) << raw("fe") << 254.0;
    QTest::newRow("int8") << int(vtInt8) << raw("fe") << -2.0;
    QTest::newRow("uint16") << int(vtUint16) << raw("34 12") << 4660.0;
    QTest::newRow("int16") << int(vtInt16) << raw("00 80") << -32768.0;
    QTest::newRow("uint32 through single precision") << int(vtUint32) << raw("01 00 00 01") << 16777216.0;
    QTest::newRow("int32 through single precision") << int(vtInt32) << raw("ff ff ff fe") << -16777216.0;
    QTest::newRow("float") << int(vtFloat) << raw("00 00 10 c0") << -2.25;
    QTest::newRow("uint64 through single precision") << int(vtUint64) << raw("01 00 00 00 00 00 00 01")
                                                     << double(float(72057594037927937.0));
    QTest::newRow("int64 through single precision") << int(vtInt64) << raw("ff ff ff ff ff ff ff ff") << -1.0;
    QTest::newRow("double exactly") << int(vtDouble) << raw("9a 99 99 99 99 99 b9 3f") << 0.1;
    QTest::newRow("other type") << 11 << raw("ff ff ff ff ff ff ff ff") << 0.0;
}

void ScopeProtocolTest::sampleValues()
{
    QFETCH(int, type);
    QFETCH(QByteArray, raw);
    QFETCH(double, value);
    raw.resize(8);
    QCOMPARE(sampleValue(uint32_t(type), reinterpret_cast<const uint8_t*>(raw.constData())), value);
}

void ScopeProtocolTest::decodingIntoWindows()
{
    otaThread worker;
    Recorder out(worker);
    configure(worker, int16AndFloat(), 100);
    QCOMPARE(out.states, (QList<int>{stScopeFreqOk, stScopeChannelsOk}));
    const auto feed = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            worker.getSerialData(driveFrame(2, 0, 0, sample(uint16_t(500 * i), int16_t(-i), 0.5f * i)));
        worker.materializeWindows();
    };
    feed(1, 5);
    QCOMPARE(worker.scopeRunning.load(), uint8_t(1));
    QCOMPARE(out.emissions, 2);  // every second sample at 100 Hz
    QCOMPARE(worker.sampleVectors[0].size(), 5);
    QVERIFY(worker.sampleVectors[1].isEmpty());
    QCOMPARE(worker.sampleVectors[0][4].key, worker.sampleTime);
    QVERIFY(qAbs(worker.sampleTime - 0.05) < 1e-6);

    // the window holds the last 1000 samples, in time order
    feed(6, 1005);
    QVERIFY(worker.windowFull);
    QCOMPARE(int(worker.sampleCount), 1000);
    QCOMPARE(worker.sampleVectors[0].size(), 1000);
    QCOMPARE(worker.sampleVectors[2].size(), 1000);
    for (int i = 0; i < 1000; ++i) {
        QCOMPARE(worker.sampleVectors[0][i].value, -(i + 6.0));
        QCOMPARE(worker.sampleVectors[2][i].value, 0.5 * (i + 6));
        QCOMPARE(worker.sampleVectors[2][i].key, worker.sampleVectors[0][i].key);
        QVERIFY(i == 0 || worker.sampleVectors[0][i].key > worker.sampleVectors[0][i - 1].key);
    }

    // a new configuration empties the windows
    configure(worker, int16AndFloat(), 100);
    worker.materializeWindows();
    QVERIFY(worker.sampleVectors[0].isEmpty());
    QVERIFY(!worker.windowFull);
}

void ScopeProtocolTest::handedWindows_data()
{
    QTest::addColumn<int>("every");        // points appended between two hand-overs
    QTest::addColumn<bool>("plotHolds");   // the plot keeps every window it was handed
    QTest::newRow("each point, let go") << 1 << false;
    QTest::newRow("seven points, let go") << 7 << false;
    QTest::newRow("seven points, held") << 7 << true;
    QTest::newRow("more than a window, let go") << 60 << false;
}

// Two vectors handed over in turn, as the worker does: each holds exactly the
// newest points, whether it was moved up in place or filled afresh.
void ScopeProtocolTest::handedWindows()
{
    QFETCH(int, every);
    QFETCH(bool, plotHolds);
    SampleWindow window;
    window.reset(50);
    QVector<QCPGraphData> vectors[2];
    uint64_t starts[2] = {};
    QList<QVector<QCPGraphData>> held;
    for (int n = 0, turn = 0; n < 400; ++n) {
        window.append(n, 2.0 * n);
        if (n % every != every - 1)
            continue;
        QVector<QCPGraphData>& handed = vectors[turn];
        turn ^= 1;
        window.copyTo(handed, starts[turn ^ 1]);
        const int count = std::min(n + 1, 50);
        QCOMPARE(handed.size(), count);
        for (int i = 0; i < count; ++i) {
            const int expected = n + 1 - count + i;
            QVERIFY2(handed[i].key == expected && handed[i].value == 2.0 * expected,
                     qPrintable(QStringLiteral("point %1 after %2").arg(i).arg(n)));
        }
        if (plotHolds)
            held.append(handed);
    }
}

void ScopeProtocolTest::incompleteSamplesDropped()
{
    // three doubles: 26 bytes in four frames
    otaThread worker;
    ChannelPlan plan;
    for (int c = 0; c < 3; ++c) {
        plan.codes[c] = uint16_t(0x2005 + c);
        plan.types[c] = vtDouble;
        plan.channels[c] = uint8_t(c);
    }
    plan.count = 3;
    plan.sampleBytes = 26;
    configure(worker, plan, 100);
    const auto send = [&](uint16_t timestamp, double value, int skipFrame) {
        QByteArray bytes = le16(timestamp);
        for (int c = 0; c < 3; ++c)
            bytes += QByteArray(reinterpret_cast<const char*>(&value), 8);
        bytes.resize(32);
        for (int k = 0; k < 4; ++k)
            if (k != skipFrame)
                worker.getSerialData(driveFrame(2, 0, unsigned(k), bytes.mid(8 * k, 8)));
    };
    send(10, 1.5, -1);
    send(20, 2.5, 1);  // a middle frame lost
    send(30, 3.5, -1);
    send(40, 4.5, 0);  // the first frame lost
    send(50, 5.5, -1);
    QCOMPARE(int(worker.droppedSamples), 2);
    QCOMPARE(int(worker.decodedSamples), 3);
    worker.materializeWindows();
    QCOMPARE(worker.sampleVectors[1].size(), 3);
    QCOMPARE(worker.sampleVectors[1][0].value, 1.5);
    QCOMPARE(worker.sampleVectors[1][1].value, 3.5);
    QCOMPARE(worker.sampleVectors[2][2].value, 5.5);
    // the timestamps of dropped samples are skipped: time follows the decoded ones
    QCOMPARE(int(worker.lastTimestamp), 50);

    // a start request begins a new count
    worker.execute(cmdScopeStart);
    QCOMPARE(int(worker.droppedSamples), 0);
}

void ScopeProtocolTest::sampleError()
{
    otaThread worker;
    Recorder out(worker);
    configure(worker, int16AndFloat(), 100);
    out.states.clear();
    worker.execute(cmdScopeStart);
    worker.getSerialData(driveFrame(2, 2, 0, sample(5, 1, 1)));
    QCOMPARE(out.states, QList<int>{stScopeConfigError});
    QCOMPARE(int(worker.paramErrorFlags), 0x20);
    QCOMPARE(worker.scopeRunning.load(), uint8_t(1));
    QCOMPARE(worker.pendingOp.load(), int(opNone));
    QCOMPARE(int(worker.decodedSamples), 0);
}

void ScopeProtocolTest::waveLines_data()
{
    QTest::addColumn<double>("time");
    QTest::addColumn<QVector<uint32_t>>("types");
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<QByteArray>("line");

    const auto raw = [](const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); };
    QTest::newRow("1.5 s, uint8 7, float -2.25")
        << 1.5 << QVector<uint32_t>{vtUint8, vtFloat} << raw("07 00 00 10 c0")
        << QByteArray("      1.500000   7   -2.250000\r\n");
    QTest::newRow("int32 minimum fills its field")
        << 0.0 << QVector<uint32_t>{vtUint8, vtInt32} << raw("ff 00 00 00 80")
        << QByteArray("      0.000000 255-2147483648\r\n");
    QTest::newRow("int8, uint16, int16")
        << 12.25 << QVector<uint32_t>{vtInt8, vtUint16, vtInt16} << raw("80 ff ff 00 80")
        << QByteArray("     12.250000 -128 65535 -32768\r\n");
    QTest::newRow("uint32 and the 64-bit integers")
        << 0.000001 << QVector<uint32_t>{vtUint32, vtUint64, vtInt64}
        << raw("ff ff ff ff  ff ff ff ff ff ff ff ff  00 00 00 00 00 00 00 80")
        << QByteArray("      0.000001" "4294967295" "18446744073709551615" "-9223372036854775808" "\r\n");
    QTest::newRow("double") << 2.0 << QVector<uint32_t>{vtDouble} << raw("00 00 00 00 00 00 f8 bf")
                            << QByteArray("      2.000000     -1.50000000\r\n");
    QTest::newRow("other type: null") << 1.0 << QVector<uint32_t>{11} << QByteArray()
                                      << QByteArray("      1.000000null\r\n");
    QTest::newRow("no channel") << 1234567.5 << QVector<uint32_t>{} << QByteArray()
                                << QByteArray("1234567.500000\r\n");
}

void ScopeProtocolTest::waveLines()
{
    QFETCH(double, time);
    QFETCH(QVector<uint32_t>, types);
    QFETCH(QByteArray, values);
    QFETCH(QByteArray, line);
    values.resize(64);
    QByteArray out;
    appendWaveLine(out, time, reinterpret_cast<const uint8_t*>(values.constData()), types.constData(), types.size());
    QCOMPARE(out, line);
}

void ScopeProtocolTest::waveFileWriteFailure_data()
{
    QTest::addColumn<int>("perChunk");
    QTest::newRow("one sample per received chunk") << 1;
    QTest::newRow("150 samples per received chunk: several batches") << 150;
}

void ScopeProtocolTest::waveFileWriteFailure()
{
    // a pipe nobody empties: the plot goes on, and the lines counted as kept are the whole lines that arrived
    QFETCH(int, perChunk);
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("wave.fifo"));
    QVERIFY(::mkfifo(path.constData(), 0600) == 0);
    const int reader = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    otaThread worker;
    Recorder out(worker);
    configure(worker, int16AndFloat(), 100);
    QVERIFY(worker.openWaveFile(QFile::decodeName(path)));
    int fed = 0;
    while (worker.waveSaving && fed < 100000) {
        QByteArray chunk;
        for (int i = 0; i < perChunk; ++i) {
            ++fed;
            chunk += driveFrame(2, 0, 0, sample(uint16_t(500 * fed), int16_t(fed), 1));
        }
        worker.getSerialData(chunk);
    }
    QCOMPARE(out.failures, 1);
    QVERIFY(!worker.waveFile.isOpen());
    QCOMPARE(int(worker.waveFailure), int(recordfile::WriteFailure::cannotWrite));
    QCOMPARE(int(worker.decodedSamples), fed);
    // lost: the lines of the batch refused, none written before it
    const int lost = fed - int(worker.waveLinesKept);
    QVERIFY2(lost >= 1 && lost <= perChunk, qPrintable(QString::number(lost)));
    int linesRead = 0;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(reader, buffer, sizeof buffer)) > 0)
        linesRead += int(std::count(buffer, buffer + n, '\n'));
    ::close(reader);
    QCOMPARE(linesRead, int(worker.waveLinesKept));
}

QTEST_GUILESS_MAIN(ScopeProtocolTest)
#include "tst_protocol_scope.moc"
