// Value reads and writes through the worker: the read request and the
// chunked value reply with its checks, the write frames of each value size,
// the judgement of the drive's write replies, save all, factory reset, the
// refusals of commands 20 and 21, the write time-out, and the order of the
// read-all and write-back sequences.

#include <QtTest>
#include <cstring>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "tests/support/virtualclock.h"

namespace {

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
    void readRequest();
    void readReplies_data();
    void readReplies();
    void textValueInFourChunks();
    void statusOneStoresAndReports();
    void writeFrames_data();
    void writeFrames();
    void replyJudgement_data();
    void replyJudgement();
    void saveAll();
    void factoryReset();
    void refusals_data();
    void refusals();
    void writeTimeout();
    void writeOrder();
    void stringsWithoutWritableParametersEndInTheSave();
    void readAllSkipsEmptyKinds();
    void staleEditsDoNotCount();
};

void ParamsTransferTest::readRequest()
{
    Rig r;
    r.w.kindCount[ReadOnlyParam] = 9;
    r.w.requestKind = 3;
    r.w.requestIndex = 5;
    r.w.paramErrorFlags = 7;
    r.w.execute(cmdReadParaNext);
    QCOMPARE(r.sent.size(), 1);
    QCOMPARE(r.sent[0].id, codec::makeId(9, 5, hostId));
    QCOMPARE(r.data(0), QByteArray("\x05\x30\0\0\0\0\0\0", 8));
    QCOMPARE(r.w.requestCode, uint16_t(0x3005));
    QCOMPARE(uint(r.w.paramErrorFlags), 0u);
    QCOMPARE(int(r.w.pendingOp), int(opReadPara));
}

void ParamsTransferTest::readReplies_data()
{
    QTest::addColumn<QVector<QByteArray>>("replies");
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
    QTest::newRow("int64 in two chunks") << QVector<QByteArray>{chunk(0x2000, vtInt64, 0, "\xFB\xFF\xFF\xFF"),
                                                                 chunk(0x2000, vtInt64, 1, "\xFF\xFF\xFF\xFF")}
                                         << int(stParaReadOk) << 0u << QString("-5");
    QTest::newRow("chunk 1 before 0") << QVector<QByteArray>{chunk(0x2000, vtInt64, 1, "\0\0\0\0")}
                                      << int(stParaReadError) << 0x04u << QString("0");
    QTest::newRow("wrong function code") << QVector<QByteArray>{chunk(0x2001, vtInt64, 0, "\0\0\0\0")}
                                         << int(stParaReadError) << 0x10u << QString("0");
    QTest::newRow("wrong type") << QVector<QByteArray>{chunk(0x2000, vtInt32, 0, "\0\0\0\0")}
                                << int(stParaReadError) << 0x02u << QString("0");
}

void ParamsTransferTest::readReplies()
{
    QFETCH(QVector<QByteArray>, replies);
    QFETCH(int, state);
    QFETCH(uint, flags);
    QFETCH(QString, value);
    Rig r;
    r.w.kindCount[WritableParam] = 1;
    r.w.writableParams[0].valueType = vtInt64;
    r.w.requestKind = 2;
    r.w.requestIndex = 0;
    r.w.execute(cmdReadParaNext);
    for (const QByteArray& b : replies) {
        auto* p = reinterpret_cast<const uint8_t*>(b.constData());
        r.reply(9, 0, {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
    }
    QCOMPARE(r.states, QList<int>{state});
    QCOMPARE(uint(r.w.paramErrorFlags), flags);
    QCOMPARE(int(r.w.pendingOp), 0);
    int64_t stored = 0;
    std::memcpy(&stored, r.w.writableParams[0].value, 8);
    QCOMPARE(QString::number(stored), value);
}

void ParamsTransferTest::textValueInFourChunks()
{
    Rig r;
    r.w.kindCount[ReadOnlyString] = 2;
    r.w.requestKind = 1;
    r.w.requestIndex = 1;
    r.w.execute(cmdReadParaNext);
    const char* text = "FW 3.4.1 release";
    for (uint8_t c = 0; c < 4; ++c) {
        QVERIFY(r.states.isEmpty());
        const char* p = text + 4 * c;
        r.reply(9, 0, {0x01, 0x10, 10, c, uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2]), uint8_t(p[3])});
    }
    QCOMPARE(r.states, QList<int>{stParaReadOk});
    QCOMPARE(r.w.readOnlyStrings[1].valueText, QString(text));
}

void ParamsTransferTest::statusOneStoresAndReports()
{
    Rig r;
    r.w.kindCount[ReadOnlyParam] = 1;
    r.w.readOnlyParams[0].valueType = vtUint16;
    r.w.requestKind = 3;
    r.w.requestIndex = 0;
    r.w.execute(cmdReadParaNext);
    r.reply(9, 1, {0x00, 0x30, vtUint16, 0, 0x39, 0x30, 0, 0});
    QCOMPARE(r.states, QList<int>{stParaReadError});
    QCOMPARE(uint(r.w.paramErrorFlags), 0x01u);
    QCOMPARE(r.w.readOnlyParams[0].value[0], uint8_t(0x39));
    QCOMPARE(r.w.readOnlyParams[0].value[1], uint8_t(0x30));
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
    r.w.requestKind = kind;
    r.w.requestIndex = 3;
    r.w.execute(cmdWriteParaRow);
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
    r.w.requestKind = 2;
    r.w.requestIndex = 0;
    r.w.execute(cmdWriteParaRow);
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
    r.w.requestKind = 2;
    r.w.requestIndex = 0;
    r.w.execute(cmdWriteParaRow);
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
    r.w.requestKind = 2;
    r.w.requestIndex = 3;
    r.w.execute(cmdWriteParaRow);
    r.echoLast();
    r.w.requestKind = 3;  // a read since the write
    r.w.requestIndex = 1;
    r.w.execute(cmdReadParaNext);
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

void ParamsTransferTest::writeTimeout()
{
    Rig r;
    numericEntry(r.w, 0, vtInt64, QByteArray(8, '\1'));
    r.w.requestKind = 2;
    r.w.requestIndex = 0;
    r.w.execute(cmdWriteParaRow);
    r.echoLast();  // chunk 0 acknowledged: the count restarts
    int polls = 0;
    while (r.w.pendingOp != 0 && polls < 100) {
        r.w.pollOnce();
        ++polls;
    }
    QCOMPARE(r.states, QList<int>{stParaWriteTimeout});
    QCOMPARE(polls, 12);  // the acknowledgement, then 11 silent polls of 100
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

void ParamsTransferTest::stringsWithoutWritableParametersEndInTheSave()
{
    ParameterTable t;
    t.kindCount[WritableString] = 4;
    t.kindCount[ReadOnlyParam] = 3;
    t.setModified(WritableString, 1, true);
    t.setModified(WritableString, 3, true);
    uint32_t kind = 0;
    uint16_t index = 1;
    QCOMPARE(t.nextWrite(kind, index), WriteStep::WriteEntry);
    QCOMPARE(index, uint16_t(3));
    QCOMPARE(t.nextWrite(kind, index), WriteStep::Save);
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
