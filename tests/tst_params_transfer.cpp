// The parameter protocol through the worker. The descriptor stream:
// continuity and sequence checks with their error bits, what each frame code
// stores, the end-frame counts, the row layout and the download's time-out
// outcomes. Values: the read request and the chunked value reply with its
// checks, the write frames of each value size, the judgement of the drive's
// write replies, save all, factory reset, the refusals of commands 20 and 21,
// the write time-out, and the order of the read-all and write-back sequences.

#include <QtTest>
#include <cstring>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "tests/support/virtualclock.h"

Q_DECLARE_METATYPE(QVector<CanFrame>)

namespace {

CanFrame desc(uint8_t code, uint16_t functionCode, std::initializer_list<uint8_t> rest = {})
{
    CanFrame f;
    f.id = codec::makeId(19, hostId, uint16_t(0x05 | (code << 8)));
    f.length = 8;
    codec::writeLe16(f.data, functionCode);
    int i = 2;
    for (uint8_t b : rest)
        f.data[i++] = b;
    return f;
}

CanFrame endFrame(uint8_t setup, uint8_t ws, uint8_t rs, uint16_t wp, uint16_t rp)
{
    CanFrame f;
    f.id = codec::makeId(19, hostId, uint16_t(0x05 | (9 << 8)));
    f.length = 8;
    f.data[0] = setup;
    f.data[2] = ws;
    f.data[3] = rs;
    codec::writeLe16(f.data + 4, wp);
    codec::writeLe16(f.data + 6, rp);
    return f;
}

// The three name frames of an entry.
QVector<CanFrame> named(uint16_t functionCode, const char* name)
{
    QByteArray n = QByteArray(name).leftJustified(16, '\0', true);
    const auto b = [&](int i) { return uint8_t(n[i]); };
    return {desc(0, functionCode, {b(0), b(1), b(2), b(3), b(4), b(5)}),
            desc(1, functionCode, {b(6), b(7), b(8), b(9), b(10), b(11)}),
            desc(2, functionCode, {b(12), b(13), b(14), b(15)})};
}

// Every frame a complete entry of its kind and type needs.
QVector<CanFrame> entry(uint16_t functionCode, uint8_t type = vtText)
{
    QVector<CanFrame> frames = named(functionCode, "n");
    if (functionCode >> 12 < 2)
        return frames << desc(6, functionCode, {'v'}) << desc(7, functionCode) << desc(8, functionCode);
    if (functionCode >> 12 == 2)
        frames << desc(3, functionCode, {0, 0, 100, 0, 0, uint8_t(type | (1 << 5))});
    frames << desc(4, functionCode, {0, type, 1, 2, 3, 4});
    if (type == vtUint64 || type == vtInt64 || type == vtDouble)
        frames << desc(5, functionCode, {0, 0, 5, 6, 7, 8});
    return frames;
}

// One entry of each kind, two writable parameters, one with an 8-byte value.
QVector<CanFrame> fullTable()
{
    return entry(0x0000) + entry(0x1000) + entry(0x2000, vtInt16) + entry(0x2001, vtDouble) + entry(0x3000, vtUint64);
}

void feed(otaThread& w, CanFrame f)
{
    w.getSerialData(adapterline::encodeDataLine(f));
}

struct Rig {
    VirtualClock clock;
    otaThread w;
    QList<CanFrame> sent;
    QList<int> states;
    Rig()
    {
        QObject::connect(&w, &otaThread::WriteToSerial, [this](QByteArray d, qint16) { sent << adapterline::parseDataLine(d); });
        QObject::connect(&w, &otaThread::sendState, [this] { states << w.stateCode; });
        w.targetId = 5;
        w.setClock(&clock);
    }
    void reply(uint8_t type, uint8_t status, std::initializer_list<uint8_t> bytes)
    {
        CanFrame f;
        f.id = codec::makeId(type, hostId, uint16_t(0x05 | (status << 8)));
        f.length = 8;
        int i = 0;
        for (uint8_t b : bytes)
            f.data[i++] = b;
        w.getSerialData(adapterline::encodeDataLine(f));
    }
    // The drive's answer to the last write frame, echoing its head.
    void echoLast(uint8_t error = 0)
    {
        const CanFrame& f = sent.last();
        const uint8_t command = codec::high(f.id) & 3;
        reply(8, uint8_t(command | (error << 2)), {f.data[0], f.data[1], f.data[2], f.data[3]});
    }
    QByteArray data(int i) const { return QByteArray(reinterpret_cast<const char*>(sent[i].data), 8); }
    // Command 19 or 21 on the table entry `index` of `kind`.
    void request(unsigned command, uint32_t kind, uint16_t index)
    {
        w.requestKind = kind;
        w.requestIndex = index;
        w.execute(command);
    }
};

void numericEntry(otaThread& w, uint16_t index, uint32_t type, const QByteArray& pending)
{
    w.kindCount[WritableParam] = uint16_t(qMax<int>(w.kindCount[WritableParam], index + 1));
    WritableParamEntry& e = w.writableParams[index];
    e.valueType = type;
    std::memcpy(e.pendingValue, pending.leftJustified(8, '\0', true).constData(), 8);
    e.modified = 1;
}

}  // namespace

class ParamsTransferTest : public QObject {
    Q_OBJECT

private slots:
    void streamBits_data();
    void streamBits();
    void entriesBeyondTheCountOrTheStorage();
    void nameWithoutItsMiddleFrameIsNotStored();
    void endFrameCounts_data();
    void endFrameCounts();
    void incompleteEntries_data();
    void incompleteEntries();
    void timeoutOutcomes_data();
    void timeoutOutcomes();
    void strayEndFrameAcknowledgesNothingElse();
    void requests_data();
    void requests();
    void readReplies_data();
    void readReplies();
    void writeFrames_data();
    void writeFrames();
    void replyJudgement_data();
    void replyJudgement();
    void saveAll();
    void factoryReset();
    void refusals_data();
    void refusals();
    void writeOrder();
    void readAllSkipsEmptyKinds();
    void staleEditsDoNotCount();
};

void ParamsTransferTest::streamBits_data()
{
    QTest::addColumn<QVector<CanFrame>>("frames");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<int>("writableParams");

    QTest::newRow("clean entry") << named(0x2000, "Speed") << 0u << 1;
    QVector<CanFrame> after3 = named(0x2000, "Speed");
    after3 << desc(3, 0x2000, {0, 0, 100, 0, 0, 6}) << desc(1, 0x2000);
    QTest::newRow("code 1 after code 3") << after3 << uint(deMissingFrame) << 1;
    QVector<CanFrame> repeated = named(0x2000, "A") + named(0x2000, "A");
    QTest::newRow("repeated entry") << repeated << 0u << 1;
    QTest::newRow("index break") << QVector<CanFrame>{desc(0, 0x2000), desc(1, 0x2001)} << uint(deIndexBreak) << 2;
    QTest::newRow("kind break") << QVector<CanFrame>{desc(0, 0x2000), desc(1, 0x3000)} << uint(deKindBreak) << 1;
    QTest::newRow("code above 9") << QVector<CanFrame>{desc(0, 0x2000), desc(12, 0x2000)} << uint(deIllegalCode) << 1;
    QTest::newRow("limits for a string") << QVector<CanFrame>{desc(3, 0x0000)} << uint(deCodeNotForKind) << 0;
    QTest::newRow("value for a string") << QVector<CanFrame>{desc(4, 0x1000)} << uint(deCodeNotForKind) << 0;
    QVector<CanFrame> textForNumber{desc(6, 0x2000), desc(7, 0x2000), desc(8, 0x2000)};
    QTest::newRow("text value for a number") << textForNumber << uint(deCodeNotForKind) << 1;
    QTest::newRow("gap in the numbering") << QVector<CanFrame>{desc(0, 0x2000), desc(0, 0x2002)} << uint(deDiscontinuous) << 1;
    QTest::newRow("kind without storage") << QVector<CanFrame>{desc(0, 0x5000), desc(1, 0x5000)} << uint(deBeyondCapacity) << 0;
}

void ParamsTransferTest::streamBits()
{
    QFETCH(QVector<CanFrame>, frames);
    QFETCH(uint, flags);
    QFETCH(int, writableParams);
    otaThread w;
    for (const CanFrame& f : frames)
        feed(w, f);
    QCOMPARE(uint(w.paramErrorFlags), flags);
    QCOMPARE(int(w.kindCount[WritableParam]), writableParams);
}

void ParamsTransferTest::entriesBeyondTheCountOrTheStorage()
{
    otaThread w;
    for (const CanFrame& f : named(0x0000, "a") + named(0x0001, "b"))
        feed(w, f);
    QCOMPARE(uint(w.paramErrorFlags), 0u);
    int raised = 0;
    for (const CanFrame& f : named(0x0003, "late")) {
        w.paramErrorFlags = 0;
        feed(w, f);
        raised += uint(w.paramErrorFlags) == deDiscontinuous;
    }
    QCOMPARE(raised, 3);
    QCOMPARE(int(w.kindCount[WritableString]), 2);

    // the count never passes the storage
    w.paramErrorFlags = 0;
    for (uint16_t i = 2; i < 32; ++i)
        feed(w, desc(0, i));
    QCOMPARE(uint(w.paramErrorFlags), 0u);
    feed(w, desc(0, 32));
    QCOMPARE(uint(w.paramErrorFlags), uint(deBeyondCapacity));
    QCOMPARE(int(w.kindCount[WritableString]), 32);
    feed(w, endFrame(0, 33, 0, 0, 0));
    QVERIFY(w.paramErrorFlags & deWritableStringCount);
    QCOMPARE(w.stateCode, int(stParaTableError));
}

void ParamsTransferTest::nameWithoutItsMiddleFrameIsNotStored()
{
    otaThread w;
    QVector<CanFrame> frames = named(0x2000, "ABCDEFGHIJKLMNOP");
    frames.remove(1);
    for (const CanFrame& f : frames)
        feed(w, f);
    QCOMPARE(uint(w.paramErrorFlags), uint(deMissingFrame));
    QVERIFY(w.writableParams[0].name.isEmpty());
    for (const CanFrame& f : named(0x2000, "ABCDEFGHIJKLMNOP"))
        feed(w, f);
    QCOMPARE(w.writableParams[0].name, QString("ABCDEFGHIJKLMNOP"));
}

void ParamsTransferTest::endFrameCounts_data()
{
    QTest::addColumn<QVector<int>>("told");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<int>("state");
    QTest::newRow("all match") << QVector<int>{1, 0, 2, 1} << 0u << int(stParaTableOk);
    QTest::newRow("writable strings") << QVector<int>{2, 0, 2, 1} << uint(deWritableStringCount) << int(stParaTableError);
    QTest::newRow("read-only strings") << QVector<int>{1, 1, 2, 1} << uint(deReadOnlyStringCount) << int(stParaTableError);
    QTest::newRow("writable parameters") << QVector<int>{1, 0, 258, 1} << uint(deWritableParamCount) << int(stParaTableError);
    QTest::newRow("read-only parameters") << QVector<int>{1, 0, 2, 0} << uint(deReadOnlyParamCount) << int(stParaTableError);
    QTest::newRow("all four") << QVector<int>{0, 3, 1, 2} << 0x780u << int(stParaTableError);
}

void ParamsTransferTest::endFrameCounts()
{
    QFETCH(QVector<int>, told);
    QFETCH(uint, flags);
    QFETCH(int, state);
    Rig r;
    otaThread& w = r.w;
    for (const CanFrame& f : entry(0x0000) + entry(0x2000, vtUint8) + entry(0x2001, vtFloat) + entry(0x3000, vtInt64))
        feed(w, f);
    feed(w, endFrame(7, uint8_t(told[0]), uint8_t(told[1]), uint16_t(told[2]), uint16_t(told[3])));
    QCOMPARE(uint(w.paramErrorFlags), flags);
    QCOMPARE(r.states, QList<int>{state});
    QCOMPARE(int(w.setupCount), 7);
    QCOMPARE(int(w.lastFrameCode), 9);
}

void ParamsTransferTest::incompleteEntries_data()
{
    QTest::addColumn<int>("dropped");  // position in fullTable(); -1 drops nothing
    QTest::addColumn<uint>("flags");
    QTest::addColumn<int>("code");
    QTest::newRow("complete") << -1 << 0u << 0;
    QTest::newRow("string without its value's end") << 11 << uint(deIncompleteEntry) << 0x1000;
    QTest::newRow("name without its end") << 14 << uint(deIncompleteEntry) << 0x2000;
    QTest::newRow("writable number without limits") << 15 << uint(deIncompleteEntry) << 0x2000;
    QTest::newRow("8-byte value without its second half") << 22 << uint(deIncompleteEntry) << 0x2001;
    QTest::newRow("read-only number without its value") << 26 << uint(deIncompleteEntry) << 0x3000;
}

void ParamsTransferTest::incompleteEntries()
{
    QFETCH(int, dropped);
    QFETCH(uint, flags);
    QFETCH(int, code);
    Rig r;
    otaThread& w = r.w;
    // an earlier complete download leaves every entry filled: only this download's frames count
    for (int round = 0; round < 2; ++round) {
        w.execute(cmdReadParaTable);
        QVector<CanFrame> frames = fullTable();
        if (round == 1 && dropped >= 0)
            frames.remove(dropped);
        for (const CanFrame& f : frames)
            feed(w, f);
        feed(w, endFrame(0, 1, 1, 2, 1));
    }
    QCOMPARE(uint(w.paramErrorFlags), flags);
    QCOMPARE(r.states, (QList<int>{stParaTableOk, flags ? int(stParaTableError) : int(stParaTableOk)}));
    QCOMPARE(int(w.incompleteCode), code);
}

void ParamsTransferTest::timeoutOutcomes_data()
{
    QTest::addColumn<bool>("write");  // else the table download
    QTest::addColumn<QVector<CanFrame>>("frames");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("polls");
    // 21 silent polls of 50 ms pass 1000; a frame costs one more poll to take its acknowledgement
    QTest::newRow("silence") << false << QVector<CanFrame>{} << int(stParaTableFailed) << 21;
    QTest::newRow("clean frames, no end") << false << named(0x0000, "x") << int(stParaTableFailed) << 22;
    QTest::newRow("faulty frames, no end") << false << QVector<CanFrame>{desc(0, 0x0000), desc(2, 0x0000)}
                                           << int(stParaTableError) << 22;
    // the acknowledgement of chunk 0 restarts the count: then 11 silent polls of 100 ms
    QTest::newRow("write, silent after its first chunk") << true << QVector<CanFrame>{} << int(stParaWriteTimeout) << 12;
}

void ParamsTransferTest::timeoutOutcomes()
{
    QFETCH(bool, write);
    QFETCH(QVector<CanFrame>, frames);
    QFETCH(int, state);
    QFETCH(int, polls);
    Rig r;
    otaThread& w = r.w;
    if (write) {
        numericEntry(w, 0, vtInt64, QByteArray(8, '\1'));
        r.request(cmdWriteParaRow, WritableParam, 0);
        r.echoLast();
    } else {
        w.execute(cmdReadParaTable);
    }
    for (const CanFrame& f : frames)
        feed(w, f);
    int done = 0;
    while (w.pendingOp != 0 && done < 1000) {
        w.pollOnce();
        ++done;
    }
    QCOMPARE(r.states, QList<int>{state});
    QCOMPARE(done, polls);
}

void ParamsTransferTest::strayEndFrameAcknowledgesNothingElse()
{
    otaThread w;
    w.execute(cmdSetCanId);
    feed(w, endFrame(0, 0, 0, 0, 0));
    QCOMPARE(int(w.pendingOp), int(opSetCanId));
    QCOMPARE(int(w.ackFlag), 0);
}

void ParamsTransferTest::requests_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<uint>("id");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("writableCount");  // after the request
    QTest::newRow("table download: the selected drive's unique id") << int(cmdReadParaTable) << codec::makeId(19, 5, hostId)
        << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08") << int(opReadParaTable) << 0;
    QTest::newRow("value read: the function code") << int(cmdReadParaNext) << codec::makeId(9, 5, hostId)
        << QByteArray("\x05\x30\0\0\0\0\0\0", 8) << int(opReadPara) << 9;
}

void ParamsTransferTest::requests()
{
    QFETCH(int, command);
    QFETCH(uint, id);
    QFETCH(QByteArray, data);
    QFETCH(int, op);
    QFETCH(int, writableCount);
    Rig r;
    r.w.selectedDevice = 1;
    r.w.deviceUids[1] = 0x0807060504030201ull;
    r.w.kindCount[WritableParam] = 9;
    r.w.kindCount[ReadOnlyParam] = 9;
    r.w.paramErrorFlags = 0x40;
    r.request(unsigned(command), ReadOnlyParam, 5);
    QCOMPARE(r.sent.size(), 1);
    QCOMPARE(r.sent[0].id, uint32_t(id));
    QCOMPARE(r.data(0), data);
    QCOMPARE(int(r.w.kindCount[WritableParam]), writableCount);
    QCOMPARE(uint(r.w.paramErrorFlags), 0u);
    QCOMPARE(int(r.w.pendingOp), op);
}

void ParamsTransferTest::readReplies_data()
{
    QTest::addColumn<QVector<QByteArray>>("replies");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("state");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<QString>("value");
    const auto chunk = [](uint16_t code, uint8_t type, uint8_t number, const char* four) {
        QByteArray b(8, '\0');
        b[0] = char(code & 0xFF);
        b[1] = char(code >> 8);
        b[2] = char(type);
        b[3] = char(number);
        std::memcpy(b.data() + 4, four, 4);
        return b;
    };
    const QVector<QByteArray> minusFive{chunk(0x2000, vtInt64, 0, "\xFB\xFF\xFF\xFF"),
                                        chunk(0x2000, vtInt64, 1, "\xFF\xFF\xFF\xFF")};
    QTest::newRow("int64 in two chunks") << minusFive << 0 << int(stParaReadOk) << 0u << QString("-5");
    QTest::newRow("drive error: stored and reported") << minusFive << 1 << int(stParaReadError) << 0x01u << QString("-5");
    QTest::newRow("chunk 1 before 0") << QVector<QByteArray>{chunk(0x2000, vtInt64, 1, "\0\0\0\0")}
                                      << 0 << int(stParaReadError) << 0x04u << QString("0");
    QTest::newRow("wrong function code") << QVector<QByteArray>{chunk(0x2001, vtInt64, 0, "\0\0\0\0")}
                                         << 0 << int(stParaReadError) << 0x10u << QString("0");
    QTest::newRow("wrong type") << QVector<QByteArray>{chunk(0x2000, vtInt32, 0, "\0\0\0\0")}
                                << 0 << int(stParaReadError) << 0x02u << QString("0");
}

void ParamsTransferTest::readReplies()
{
    QFETCH(QVector<QByteArray>, replies);
    QFETCH(int, status);
    QFETCH(int, state);
    QFETCH(uint, flags);
    QFETCH(QString, value);
    Rig r;
    r.w.kindCount[WritableParam] = 1;
    r.w.writableParams[0].valueType = vtInt64;
    r.request(cmdReadParaNext, 2, 0);
    for (const QByteArray& b : replies) {
        auto* p = reinterpret_cast<const uint8_t*>(b.constData());
        r.reply(9, uint8_t(status), {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
    }
    QCOMPARE(r.states, QList<int>{state});
    QCOMPARE(uint(r.w.paramErrorFlags), flags);
    QCOMPARE(int(r.w.pendingOp), 0);
    int64_t stored = 0;
    std::memcpy(&stored, r.w.writableParams[0].value, 8);
    QCOMPARE(QString::number(stored), value);
}

void ParamsTransferTest::writeFrames_data()
{
    QTest::addColumn<uint>("kind");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("frames");
    QTest::newRow("float in one frame") << uint(WritableParam) << uint(vtFloat) << QByteArray("\x00\x00\xC0\x3F", 4) << 1;
    QTest::newRow("uint8 in one frame") << uint(WritableParam) << uint(vtUint8) << QByteArray("\x2C") << 1;
    QTest::newRow("int64 in two") << uint(WritableParam) << uint(vtInt64) << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08") << 2;
    QTest::newRow("text in four") << uint(WritableString) << uint(vtText) << QByteArray("ABCDEFGHIJKLMNOP") << 4;
}

void ParamsTransferTest::writeFrames()
{
    QFETCH(uint, kind);
    QFETCH(uint, type);
    QFETCH(QByteArray, value);
    QFETCH(int, frames);
    Rig r;
    if (kind == WritableParam) {
        numericEntry(r.w, 3, type, value);
    } else {
        r.w.kindCount[WritableString] = 4;
        std::memcpy(r.w.writableStrings[3].pendingText, value.constData(), 16);
        r.w.writableStrings[3].modified = 1;
    }
    r.request(cmdWriteParaRow, kind, 3);
    const QByteArray padded = value.leftJustified(((value.size() + 3) / 4) * 4, '\0');
    for (int i = 0; i < frames; ++i) {
        QCOMPARE(r.sent.size(), i + 1);
        QCOMPARE(r.sent[i].id, codec::makeId(8, 5, hostId));
        const QByteArray head = QByteArray(1, char(3)) + char(kind << 4) + char(type) + char(i);
        QCOMPARE(r.data(i), head + padded.mid(4 * i, 4).leftJustified(4, '\0'));
        QVERIFY(r.states.isEmpty());
        r.echoLast();
    }
    QCOMPARE(r.sent.size(), frames);
    QCOMPARE(r.states, QList<int>{stParaWriteOk});
    QCOMPARE(int(r.w.pendingOp), 0);
}

void ParamsTransferTest::replyJudgement_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("codeDelta");
    QTest::addColumn<int>("typeDelta");
    QTest::addColumn<int>("chunkDelta");
    QTest::addColumn<uint>("flags");
    QTest::newRow("reply command differs") << 2 << 0 << 0 << 0 << 0 << 0x8000u;
    QTest::newRow("function code differs") << 0 << 0 << 1 << 0 << 0 << 0x4000u;
    QTest::newRow("type byte differs") << 0 << 0 << 0 << 1 << 0 << 0x08u;
    QTest::newRow("chunk byte differs") << 0 << 0 << 0 << 0 << 1 << 0x20u;
    QTest::newRow("drive error 6") << 0 << 6 << 0 << 0 << 0 << 0x40u;
    QTest::newRow("drive error 1") << 0 << 1 << 0 << 0 << 0 << 0x02u;
    QTest::newRow("drive error 10") << 0 << 10 << 0 << 0 << 0 << 0x400u;
}

void ParamsTransferTest::replyJudgement()
{
    QFETCH(int, command);
    QFETCH(int, error);
    QFETCH(int, codeDelta);
    QFETCH(int, typeDelta);
    QFETCH(int, chunkDelta);
    QFETCH(uint, flags);
    Rig r;
    numericEntry(r.w, 0, vtInt64, QByteArray(8, '\1'));
    r.request(cmdWriteParaRow, 2, 0);
    r.reply(8, uint8_t(command | (error << 2)),
            {uint8_t(0x00 + codeDelta), 0x20, uint8_t(vtInt64 + typeDelta), uint8_t(chunkDelta)});
    QCOMPARE(r.states, QList<int>{stParaWriteError});
    QCOMPARE(uint(r.w.paramErrorFlags), flags);
    QCOMPARE(r.sent.size(), 1);  // no further chunk
    QCOMPARE(int(r.w.pendingOp), 0);
}

void ParamsTransferTest::saveAll()
{
    Rig r;
    numericEntry(r.w, 0, vtInt64, QByteArray(8, '\1'));
    r.request(cmdWriteParaRow, 2, 0);
    r.echoLast();
    r.echoLast();
    QCOMPARE(r.states, QList<int>{stParaWriteOk});
    r.w.execute(cmdSaveParams);
    QCOMPARE(r.sent.last().id, codec::makeId(8, 5, uint16_t(hostId | (2 << 8))));
    QCOMPARE(r.data(r.sent.size() - 1), QByteArray(8, '\0'));
    QCOMPARE(int(r.w.pendingOp), int(opWritePara));
    // the drive answers with the type and chunk of the last value written
    r.reply(8, 2, {0, 0, vtInt64, 1});
    QCOMPARE(r.states.last(), int(stParaSaveOk));
    QCOMPARE(int(r.w.pendingOp), 0);
}

void ParamsTransferTest::factoryReset()
{
    Rig r;
    numericEntry(r.w, 3, vtInt16, QByteArray("\x07\x00", 2));
    r.request(cmdWriteParaRow, 2, 3);
    r.echoLast();
    r.request(cmdReadParaNext, 3, 1);  // a read since the write
    r.w.execute(cmdFactoryReset);
    QCOMPARE(r.sent.size(), 3);
    QCOMPARE(r.sent[2].id, codec::makeId(8, 5, uint16_t(hostId | (3 << 8))));
    QCOMPARE(r.data(2), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
    QCOMPARE(int(r.w.pendingOp), 0);
    // judged like the reply to the last value written, which the drive echoes
    r.reply(8, 3, {0x03, 0x20, vtInt16, 0});
    QCOMPARE(r.states, (QList<int>{stParaWriteOk, stParaWriteOk}));
    QCOMPARE(r.w.requestCode, uint16_t(0x2003));
    QCOMPARE(r.w.requestKind, noTableEntry);
    r.w.execute(cmdFactoryReset);
    r.reply(8, 3 | (9 << 2), {0x03, 0x20, vtInt16, 0});
    QCOMPARE(r.states.last(), int(stParaWriteError));
    QCOMPARE(uint(r.w.paramErrorFlags), 0x200u);
    r.w.execute(cmdFactoryReset);
    r.reply(8, 3, {0x01, 0x02, 0x03, 0x04});
    QCOMPARE(uint(r.w.paramErrorFlags), 0x4000u);
    QCOMPARE(r.sent.size(), 5);  // a reset sends no further chunk
}

void ParamsTransferTest::refusals_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<uint>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<uint>("flags");
    QTest::newRow("nothing marked") << int(cmdWriteParaFirst) << 0u << 0 << 0x02u;
    QTest::newRow("index beyond the count") << int(cmdWriteParaRow) << uint(WritableParam) << 2 << 0x02u;
    QTest::newRow("read-only kind") << int(cmdWriteParaRow) << uint(ReadOnlyParam) << 0 << 0x04u;
    QTest::newRow("no kind") << int(cmdWriteParaRow) << 4u << 0 << 0x04u;
}

void ParamsTransferTest::refusals()
{
    QFETCH(int, command);
    QFETCH(uint, kind);
    QFETCH(int, index);
    QFETCH(uint, flags);
    Rig r;
    r.w.kindCount[WritableParam] = 2;
    r.w.kindCount[ReadOnlyParam] = 2;
    r.w.requestKind = kind;
    r.w.requestIndex = uint16_t(index);
    r.w.execute(unsigned(command));
    QVERIFY(r.sent.isEmpty());
    QCOMPARE(r.states, QList<int>{stParaWriteError});
    QCOMPARE(uint(r.w.paramErrorFlags), flags);
    QCOMPARE(int(r.w.pendingOp), 0);
}

void ParamsTransferTest::writeOrder()
{
    ParameterTable t;
    t.kindCount[WritableString] = 5;
    t.kindCount[WritableParam] = 10;
    t.setModified(WritableString, 3, true);
    t.setModified(WritableParam, 0, true);
    t.setModified(WritableParam, 7, true);
    t.setModified(ReadOnlyParam, 1, true);  // no such mark on read-only entries
    uint32_t kind = 0;
    uint16_t index = 0;
    QVERIFY(t.firstModified(kind, index));
    QStringList order{QString::number(functionCodeOf(kind, index), 16)};
    while (t.nextWrite(kind, index) == WriteStep::WriteEntry)
        order << QString::number(functionCodeOf(kind, index), 16);
    order << "save";
    QCOMPARE(order, (QStringList{"3", "2000", "2007", "save"}));
    QCOMPARE(kind, 4u);
}

void ParamsTransferTest::readAllSkipsEmptyKinds()
{
    Rig r;
    r.w.kindCount[0] = 1;
    r.w.kindCount[1] = 0;
    r.w.kindCount[2] = 2;
    r.w.kindCount[3] = 0;
    r.w.execute(cmdReadParaFirst);
    QStringList asked{QString::number(r.w.requestCode, 16)};
    while (r.w.nextRead(r.w.requestKind, r.w.requestIndex)) {
        r.w.execute(cmdReadParaNext);
        asked << QString::number(r.w.requestCode, 16);
    }
    QCOMPARE(asked, (QStringList{"0", "2000", "2001"}));

    // an empty first kind: the read-all starts where there are entries
    r.w.kindCount[0] = 0;
    r.w.execute(cmdReadParaFirst);
    QCOMPARE(r.w.requestCode, uint16_t(0x2000));
}

void ParamsTransferTest::staleEditsDoNotCount()
{
    ParameterTable t;
    t.kindCount[WritableParam] = 2;
    t.setModified(WritableParam, 5, true);  // left from a larger table of an earlier download
    QVERIFY(!t.anyModified());
    t.setModified(WritableParam, 1, true);
    QVERIFY(t.anyModified());
    t.clearModified();
    QVERIFY(!t.isModified(WritableParam, 1));
    QVERIFY(!t.isModified(WritableParam, 5));
}

QTEST_GUILESS_MAIN(ParamsTransferTest)
#include "tst_params_transfer.moc"
