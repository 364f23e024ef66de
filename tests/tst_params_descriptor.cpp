// The descriptor stream through the worker's receive path: continuity and
// sequence checks with their error bits, what each frame code stores, the
// end-frame counts, the row layout, and the download's time-out outcomes.

#include <QtTest>

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

struct States {
    QList<int> codes;
    explicit States(otaThread& w)
    {
        QObject::connect(&w, &otaThread::sendState, [this, &w] { codes << w.stateCode; });
    }
};

}  // namespace

class ParamsDescriptorTest : public QObject {
    Q_OBJECT

private slots:
    void streamBits_data();
    void streamBits();
    void nameBeyondCountRaisesOnEachFrame();
    void nameWithoutItsMiddleFrameIsNotStored();
    void limits_data();
    void limits();
    void valueBytes();
    void textValue();
    void endFrameCounts_data();
    void endFrameCounts();
    void incompleteEntries_data();
    void incompleteEntries();
    void rowLayout();
    void timeoutOutcomes_data();
    void timeoutOutcomes();
    void endFrameEndsTheDownloadWithoutAnotherNotification();
    void strayEndFrameAcknowledgesNothingElse();
    void countNeverPassesTheStorage();
    void requestFrame();
};

void ParamsDescriptorTest::streamBits_data()
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

void ParamsDescriptorTest::streamBits()
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

void ParamsDescriptorTest::nameBeyondCountRaisesOnEachFrame()
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
    feed(w, endFrame(0, 3, 0, 0, 0));
    QVERIFY(w.paramErrorFlags & deWritableStringCount);
}

void ParamsDescriptorTest::nameWithoutItsMiddleFrameIsNotStored()
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

void ParamsDescriptorTest::limits_data()
{
    QTest::addColumn<int>("exponent");
    QTest::addColumn<int>("rawMin");
    QTest::addColumn<int>("rawMax");
    QTest::addColumn<float>("minValue");
    QTest::addColumn<float>("maxValue");
    QTest::addColumn<int>("decimals");
    QTest::newRow("exponent -2") << -2 << -1000 << 1000 << -10.0f << 10.0f << 2;
    QTest::newRow("exponent 1") << 1 << 5 << 5 << 50.0f << 50.0f << 0;
    QTest::newRow("exponent 0") << 0 << 0 << 255 << 0.0f << 255.0f << 0;
    QTest::newRow("exponent 3") << 3 << -2 << 32 << -2000.0f << 32000.0f << 0;
}

void ParamsDescriptorTest::limits()
{
    QFETCH(int, exponent);
    QFETCH(int, rawMin);
    QFETCH(int, rawMax);
    QFETCH(float, minValue);
    QFETCH(float, maxValue);
    QFETCH(int, decimals);
    otaThread w;
    const auto lo = uint16_t(int16_t(rawMin));
    const auto hi = uint16_t(int16_t(rawMax));
    // type float (6), attribute 5 in bits 5..7
    feed(w, desc(3, 0x2000, {uint8_t(lo), uint8_t(lo >> 8), uint8_t(hi), uint8_t(hi >> 8), uint8_t(int8_t(exponent)),
                             uint8_t(6 | (5 << 5))}));
    const WritableParamEntry& e = w.writableParams[0];
    QCOMPARE(e.minValue, minValue);
    QCOMPARE(e.maxValue, maxValue);
    QCOMPARE(int(e.decimals), decimals);
    QCOMPARE(e.valueType, 6u);
    QCOMPARE(int(e.attribute), 5);
}

void ParamsDescriptorTest::valueBytes()
{
    otaThread w;
    feed(w, desc(4, 0x3000, {0, vtInt64, 1, 2, 3, 4}));
    feed(w, desc(5, 0x3000, {0, 0, 5, 6, 7, 8}));
    feed(w, desc(4, 0x3001, {0, vtUint16, 0x34, 0x12, 0, 0}));
    QCOMPARE(uint(w.paramErrorFlags), 0u);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(w.readOnlyParams[0].value), 8), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
    QCOMPARE(w.readOnlyParams[0].valueType, uint32_t(vtInt64));
    QCOMPARE(w.readOnlyParams[1].value[0], uint8_t(0x34));
    QCOMPARE(w.readOnlyParams[1].value[1], uint8_t(0x12));
    QCOMPARE(int(w.kindCount[ReadOnlyParam]), 2);
}

void ParamsDescriptorTest::textValue()
{
    otaThread w;
    feed(w, desc(6, 0x1000, {'F', 'W', ' ', '3', '.', '4'}));
    feed(w, desc(7, 0x1000, {'.', '1', 0, 0, 0, 0}));
    feed(w, desc(8, 0x1000, {0, 0, 0, 0}));
    QCOMPARE(w.readOnlyStrings[0].valueText, QString("FW 3.4.1"));
    QCOMPARE(uint(w.paramErrorFlags), 0u);
}

void ParamsDescriptorTest::endFrameCounts_data()
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

void ParamsDescriptorTest::endFrameCounts()
{
    QFETCH(QVector<int>, told);
    QFETCH(uint, flags);
    QFETCH(int, state);
    otaThread w;
    States states(w);
    for (const CanFrame& f : entry(0x0000) + entry(0x2000, vtUint8) + entry(0x2001, vtFloat) + entry(0x3000, vtInt64))
        feed(w, f);
    feed(w, endFrame(7, uint8_t(told[0]), uint8_t(told[1]), uint16_t(told[2]), uint16_t(told[3])));
    QCOMPARE(uint(w.paramErrorFlags), flags);
    QCOMPARE(states.codes, QList<int>{state});
    QCOMPARE(int(w.setupCount), 7);
    QCOMPARE(int(w.lastFrameCode), 9);
}

void ParamsDescriptorTest::incompleteEntries_data()
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

void ParamsDescriptorTest::incompleteEntries()
{
    QFETCH(int, dropped);
    QFETCH(uint, flags);
    QFETCH(int, code);
    otaThread w;
    States states(w);
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
    QCOMPARE(states.codes, (QList<int>{stParaTableOk, flags ? int(stParaTableError) : int(stParaTableOk)}));
    QCOMPARE(int(w.incompleteCode), code);
}

void ParamsDescriptorTest::rowLayout()
{
    ParameterTable t;
    t.kindCount[0] = 2;
    t.kindCount[1] = 1;
    t.kindCount[2] = 3;
    t.kindCount[3] = 0;
    t.layoutRows();
    QCOMPARE(t.rowCount(), 6);
    QCOMPARE(t.firstRow[1], uint16_t(2));
    QCOMPARE(t.firstRow[2], uint16_t(3));
    QCOMPARE(t.lastRow[2], uint16_t(5));
    QCOMPARE(t.lastRow[3], uint16_t(5));
    uint32_t kind = 9;
    uint16_t index = 9;
    QVERIFY(t.entryAtRow(4, kind, index));
    QCOMPARE(kind, 2u);
    QCOMPARE(index, uint16_t(1));
    QVERIFY(!t.entryAtRow(6, kind, index));
}

void ParamsDescriptorTest::timeoutOutcomes_data()
{
    QTest::addColumn<QVector<CanFrame>>("frames");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("polls");
    // 21 silent polls of 50 ms pass 1000; a frame costs one more poll to take its acknowledgement
    QTest::newRow("silence") << QVector<CanFrame>{} << int(stParaTableFailed) << 21;
    QTest::newRow("clean frames, no end") << named(0x0000, "x") << int(stParaTableFailed) << 22;
    QTest::newRow("faulty frames, no end") << QVector<CanFrame>{desc(0, 0x0000), desc(2, 0x0000)} << int(stParaTableError) << 22;
}

void ParamsDescriptorTest::timeoutOutcomes()
{
    QFETCH(QVector<CanFrame>, frames);
    QFETCH(int, state);
    QFETCH(int, polls);
    VirtualClock clock;
    otaThread w;
    w.setClock(&clock);
    States states(w);
    w.execute(cmdReadParaTable);
    for (const CanFrame& f : frames)
        feed(w, f);
    int done = 0;
    while (w.pendingOp != 0 && done < 1000) {
        w.pollOnce();
        ++done;
    }
    QCOMPARE(states.codes, QList<int>{state});
    QCOMPARE(done, polls);
}

void ParamsDescriptorTest::endFrameEndsTheDownloadWithoutAnotherNotification()
{
    VirtualClock clock;
    otaThread w;
    w.setClock(&clock);
    States states(w);
    w.execute(cmdReadParaTable);
    for (const CanFrame& f : entry(0x0000))
        feed(w, f);
    feed(w, endFrame(0, 1, 0, 0, 0));
    w.pollOnce();
    QCOMPARE(int(w.pendingOp), 0);
    QCOMPARE(states.codes, QList<int>{stParaTableOk});
}

void ParamsDescriptorTest::strayEndFrameAcknowledgesNothingElse()
{
    otaThread w;
    w.execute(cmdSetCanId);
    feed(w, endFrame(0, 0, 0, 0, 0));
    QCOMPARE(int(w.pendingOp), int(opSetCanId));
    QCOMPARE(int(w.ackFlag), 0);
}

void ParamsDescriptorTest::countNeverPassesTheStorage()
{
    otaThread w;
    for (uint16_t i = 0; i < 32; ++i)
        feed(w, desc(0, i));
    QCOMPARE(uint(w.paramErrorFlags), 0u);
    feed(w, desc(0, 32));
    QCOMPARE(uint(w.paramErrorFlags), uint(deBeyondCapacity));
    QCOMPARE(int(w.kindCount[WritableString]), 32);
    feed(w, endFrame(0, 33, 0, 0, 0));
    QCOMPARE(w.stateCode, int(stParaTableError));
}

void ParamsDescriptorTest::requestFrame()
{
    otaThread w;
    QList<CanFrame> sent;
    connect(&w, &otaThread::WriteToSerial, [&](QByteArray d, qint16) { sent << adapterline::parseDataLine(d); });
    w.targetId = 5;
    w.selectedDevice = 1;
    w.deviceUids[1] = 0x0807060504030201ull;
    w.kindCount[2] = 9;
    w.paramErrorFlags = 0x40;
    w.execute(cmdReadParaTable);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0].id, codec::makeId(19, 5, hostId));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(sent[0].data), 8), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
    QCOMPARE(int(w.kindCount[2]), 0);
    QCOMPARE(uint(w.paramErrorFlags), 0u);
    QCOMPARE(int(w.pendingOp), int(opReadParaTable));
}

QTEST_GUILESS_MAIN(ParamsDescriptorTest)
#include "tst_params_descriptor.moc"
