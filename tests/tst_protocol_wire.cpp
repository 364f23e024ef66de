// The adapter line both ways. Out: data lines, module lines and the frame
// and pending operation of every command code. In: cutting the byte stream
// into lines, classifying them, every type handler and the acknowledgement
// tables.

#include <QtTest>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

QByteArray bytes(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

QByteArray dataLine(uint8_t type, uint8_t dest, uint16_t fieldBits, const QByteArray& data)
{
    CanFrame frame;
    frame.id = codec::makeId(type, dest, fieldBits);
    frame.length = uint8_t(data.size());
    for (int i = 0; i < data.size(); ++i)
        frame.data[i] = uint8_t(data[i]);
    return adapterline::encodeDataLine(frame);
}

QByteArray reply(uint8_t type, uint8_t src, uint8_t hi, const QByteArray& data)
{
    return dataLine(type, hostId, uint16_t(src | (hi << 8)), data);
}

// The worker's notifications and the lines it writes.
struct Recorder {
    QList<int> states;
    QList<QByteArray> written;
    explicit Recorder(otaThread& worker)
    {
        QObject::connect(&worker, &otaThread::sendState, [this, &worker] { states << worker.stateCode; });
        QObject::connect(&worker, &otaThread::WriteToSerial, [this](QByteArray d, qint16 length) {
            QCOMPARE(int(length), d.size());
            written << d;
        });
    }
};

}  // namespace

class WireTest : public QObject {
    Q_OBJECT

private slots:
    void dataLineLayout_data();
    void dataLineLayout();
    void commandFrames_data();
    void commandFrames();
    void motionCodesSaturate();
    void oddLines_data();
    void oddLines();
    void bufferStaysBounded();
    void identifierIgnoresFlagBits();
    void adapterAnswers_data();
    void adapterAnswers();
    void feedbackScaling();
    void rangeReports_data();
    void rangeReports();
    void modelReport_data();
    void modelReport();
    void deviceTable();
    void faultReportNeedsEightBytes();
    void motorTypeReplies();
    void acknowledgements_data();
    void acknowledgements();
    void notificationsInOrder();
    void commandDuringDecodeDropsPartialLine();
};

void WireTest::dataLineLayout_data()
{
    QTest::addColumn<uint32_t>("id");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("length 0 is sent as one zero byte")
        << codec::makeId(0, 5, 0xFD) << 0 << QByteArray() << bytes("41 54 00 07 E8 2C 01 00 0D 0A");
    QTest::newRow("type 1 to 0x7F") << codec::makeId(1, 0x7F, 0xFD) << 8 << QByteArray(8, '\x11')
                                    << bytes("41 54 08 07 EB FC 08 11 11 11 11 11 11 11 11 0D 0A");
    QTest::newRow("length above 8 is cut to 8")
        << codec::makeId(2, 1, 0xFD) << 12 << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)
        << bytes("41 54 10 07 E8 0C 08 01 02 03 04 05 06 07 08 0D 0A");
    QTest::newRow("type byte reduced modulo 32")
        << (uint32_t(0x21) << 24 | 0xFD01u) << 1 << QByteArray("\x00", 1) << bytes("41 54 08 07 E8 0C 01 00 0D 0A");
}

void WireTest::dataLineLayout()
{
    QFETCH(uint32_t, id);
    QFETCH(int, length);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    CanFrame frame;
    frame.id = id;
    frame.length = uint8_t(length);
    for (int i = 0; i < data.size() && i < 8; ++i)
        frame.data[i] = uint8_t(data[i]);
    QCOMPARE(adapterline::encodeDataLine(frame).toHex(' '), expected.toHex(' '));
}

void WireTest::commandFrames_data()
{
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<QByteArray>("line");  // empty: nothing is sent
    QTest::addColumn<int>("pending");

    QTest::newRow("0 idle") << 0u << QByteArray() << 0;
    QTest::newRow("1 probe") << 1u << QByteArray("AT+AT\r\n") << 1;
    QTest::newRow("2 enter config") << 2u << QByteArray("AT+CG\r\n") << 2;
    QTest::newRow("3 config step 0") << 3u << QByteArray("AT+CAN_MODE=0\r\n") << 3;
    QTest::newRow("8 scan") << 8u << QByteArray() << 8;
    // targetId 127, selected uid 0x1122334455667788, newCanId 9
    QTest::newRow("9 set CAN id") << 9u << bytes("41 54 38 4F EB FC 08 88 77 66 55 44 33 22 11 0D 0A") << 9;
    QTest::newRow("10 reset") << 10u << bytes("41 54 20 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 10;
    QTest::newRow("11 motor") << 11u << bytes("41 54 18 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 11;
    QTest::newRow("12 brake") << 12u << bytes("41 54 A0 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 12;
    QTest::newRow("13 encoder cal") << 13u << bytes("41 54 28 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 13;
    QTest::newRow("14 set zero") << 14u << bytes("41 54 30 07 EB FC 08 01 00 00 00 00 00 00 00 0D 0A") << 14;
    QTest::newRow("15 motion once") << 15u << bytes("41 54 0B FF FB FC 08 7F FF 7F FF 00 00 00 00 0D 0A") << 15;
    QTest::newRow("16 motion stream") << 16u << QByteArray() << 16;
    // lastCanId 5
    QTest::newRow("29 model query") << 29u << bytes("41 54 20 07 E8 2C 08 00 C4 00 00 00 00 00 00 0D 0A") << 29;
    QTest::newRow("28 nothing") << 28u << QByteArray() << 0;
    QTest::newRow("1000 nothing") << 1000u << QByteArray() << 0;
}

void WireTest::commandFrames()
{
    QFETCH(unsigned, code);
    QFETCH(QByteArray, line);
    QFETCH(int, pending);

    otaThread worker;
    worker.targetId = 127;
    worker.newCanId = 9;
    worker.selectedDevice = 1;
    worker.deviceUids[1] = 0x1122334455667788ull;
    worker.lastCanId = 5;
    worker.zeroArgument = 0x101;
    worker.ackFlag = 1;
    worker.elapsedMs = 300;
    worker.pendingOp = 12;
    Recorder out(worker);

    worker.execute(code);

    QCOMPARE(out.written.size(), line.isEmpty() ? 0 : 1);
    if (!line.isEmpty())
        QCOMPARE(out.written.first().toHex(' '), line.toHex(' '));
    QCOMPARE(worker.pendingOp.load(), pending);
    QCOMPARE(int(worker.ackFlag.load()), 0);
    QCOMPARE(worker.elapsedMs.load(), 0u);
}

void WireTest::motionCodesSaturate()
{
    // A drive reporting an empty range must not turn the division into undefined behaviour.
    codec::Ranges ranges;
    ranges.velMin = ranges.velMax = 0;
    int32_t codes[5];
    CanFrame frame;
    codec::encodeMotion({0, 1, 0, 0, 0}, ranges, 1, codes, frame);
    QCOMPARE(codes[1], INT32_MAX);
}

void WireTest::oddLines_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("cut");  // the stream arrives in two reads, cut here
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<QList<quint64>>("uids");  // the drives stored, in order

    const QByteArray ninth = reply(0, 9, 0, bytes("09 00 00 00 00 00 00 00"));
    const QByteArray third = reply(0, 3, 0, bytes("03 00 00 00 00 00 00 00"));
    const QByteArray fourth = reply(0, 4, 0, bytes("04 00 00 00 00 00 00 00"));
    QTest::newRow("two lines and a half, then the rest") << third + fourth + ninth << 2 * ninth.size() + 8
                                                         << QList<int>{0, 0, 0} << QList<quint64>{3, 4, 9};
    // Source id 0x0D with status 0x0A puts 0D 0A... in the identifier bytes; data carry it too.
    QTest::newRow("CR LF in the data") << reply(0, 7, 0, bytes("11 0D 0A 22 33 44 55 66")) + ninth << 0 << QList<int>{0, 0}
                                       << QList<quint64>{0x66554433220A0D11ull, 9};
    QTest::newRow("CR LF in the identifier") << dataLine(0, 0x0D, 0x0A01, bytes("0D 0A 0D 0A 0D 0A 0D 0A")) + ninth
                                             << 0 << QList<int>{0, 0} << QList<quint64>{0x0A0D0A0D0A0D0A0Dull, 9};
    // 20 bytes with length byte 11: a data line by its size, but only eight bytes are read.
    QTest::newRow("length byte above eight") << bytes("41 54 00 07 E8 1C 0B") + QByteArray(11, '\x01') + "\r\n"
                                             << 0 << QList<int>{0} << QList<quint64>{0x0101010101010101ull};
    QByteArray wrongLength = reply(0, 3, 0, bytes("01 00 00 00 00 00 00"));  // 16 bytes
    wrongLength[6] = 8;
    QTest::newRow("length byte 8 on a 16-byte line is no frame") << wrongLength << 0 << QList<int>{} << QList<quint64>{};
}

void WireTest::oddLines()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, cut);
    QFETCH(QList<int>, states);
    QFETCH(QList<quint64>, uids);
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    worker.getSerialData(stream.left(cut));
    worker.getSerialData(stream.mid(cut));
    QCOMPARE(rec.states, states);
    QCOMPARE(int(worker.deviceCount), uids.size());
    for (int i = 0; i < uids.size(); ++i)
        QCOMPARE(quint64(worker.deviceUids[i]), uids[i]);
    if (!uids.isEmpty())
        QCOMPARE(worker.rxFrame.length, uint8_t(8));
    if (cut > 0)
        QVERIFY(worker.rxBuffer.isEmpty());  // the half line was kept for the rest
}

void WireTest::bufferStaysBounded()
{
    otaThread worker;
    for (int i = 0; i < 1000; ++i)
        worker.getSerialData(QByteArray(100, '\x55'));
    QVERIFY(worker.rxBuffer.size() <= adapterline::receiveBufferBound);
    Recorder rec(worker);
    worker.getSerialData("\r\nOK\r\n");
    QCOMPARE(rec.states, QList<int>{59});
}

void WireTest::identifierIgnoresFlagBits()
{
    for (int flags = 0; flags < 8; ++flags) {
        QByteArray line = bytes("41 54 08 07 EB F8 01 00 0D 0A");
        line[5] = char(0xF8 | flags);
        const CanFrame frame = adapterline::parseDataLine(line);
        QCOMPARE(codec::commType(frame.id), uint8_t(1));
        QCOMPARE(codec::high(frame.id), uint8_t(0));
        QCOMPARE(codec::source(frame.id), uint8_t(0xFD));
        QCOMPARE(codec::destination(frame.id), uint8_t(0x7F));
    }
}

void WireTest::adapterAnswers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("baudCode");
    QTest::addColumn<int>("frameCode");
    QTest::newRow("rate report") << QByteArray("\x03J\r\n") << 58 << 3 << 0;
    QTest::newRow("frame report") << QByteArray("\x02M\r\n") << 61 << 0 << 2;
    QTest::newRow("rate changed") << QByteArray("\x1F\x1B\r\n") << 60 << 0 << 0;
    QTest::newRow("frame type changed") << QByteArray("\x1FK\r\n") << 62 << 0 << 0;
    QTest::newRow("OK") << QByteArray("OK\r\n") << 59 << 0 << 0;
    QTest::newRow("other 0x1F") << QByteArray("\x1F\x01\r\n") << -1 << 0 << 0;
    QTest::newRow("one byte") << QByteArray("J\r\n") << -1 << 0 << 0;
}

void WireTest::adapterAnswers()
{
    QFETCH(QByteArray, line);
    QFETCH(int, state);
    QFETCH(int, baudCode);
    QFETCH(int, frameCode);
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(line);
    QCOMPARE(rec.states, state < 0 ? QList<int>{} : QList<int>{state});
    QCOMPARE(int(worker.adapterBaudCode), baudCode);
    QCOMPARE(int(worker.adapterFrameCode), frameCode);
}

void WireTest::feedbackScaling()
{
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(2, 1, 0, bytes("7F FF 7F FF 7F FF 01 2C")));
    QCOMPARE(rec.states, QList<int>{28});
    QVERIFY(qAbs(worker.fbPosition - (-0.00019f)) < 0.0004f);
    QVERIFY(qAbs(worker.fbVelocity) < 100.0f / 65535.0f);
    QVERIFY(qAbs(worker.fbTorque) < 100.0f / 65535.0f);
    QCOMPARE(worker.fbTemperature, 30.0f);
    QCOMPARE(worker.fbRawPosition, uint16_t(0x7FFF));
    QCOMPARE(worker.sourceId, uint8_t(1));

    worker.getSerialData(reply(24, 2, 0, bytes("FF FF 00 00 FF FF FF 9C")));
    QCOMPARE(worker.fbPosition, 12.57f);
    QCOMPARE(worker.fbVelocity, -50.0f);
    QCOMPARE(worker.fbTemperature, -10.0f);

    // A short frame: the bytes it lacks keep the previous frame's values.
    worker.getSerialData(reply(2, 2, 0, bytes("7F FF 7F FF 7F FF")));
    QCOMPARE(worker.rxFrame.length, uint8_t(6));
    QCOMPARE(worker.fbTemperature, -10.0f);
}

void WireTest::rangeReports_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("member");
    QTest::newRow("velocity") << bytes("00 D1 00 00 F0 41 00 00") << "vel";
    QTest::newRow("torque") << bytes("00 D2 00 00 F0 41 00 00") << "torque";
    QTest::newRow("kp") << bytes("00 D3 00 00 F0 41 00 00") << "kp";
    QTest::newRow("kd") << bytes("00 D4 00 00 F0 41 00 00") << "kd";
}

void WireTest::rangeReports()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, member);
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(2, 1, 0, data));
    QVERIFY(rec.states.isEmpty());
    QCOMPARE(float(worker.velMax), member == "vel" ? 30.0f : 50.0f);
    QCOMPARE(float(worker.velMin), member == "vel" ? -30.0f : -50.0f);
    QCOMPARE(float(worker.torqueMax), member == "torque" ? 30.0f : 50.0f);
    QCOMPARE(float(worker.torqueMin), member == "torque" ? -30.0f : -50.0f);
    QCOMPARE(float(worker.kpMax), member == "kp" ? 30.0f : 5000.0f);
    QCOMPARE(float(worker.kdMax), member == "kd" ? 30.0f : 5.0f);
}

void WireTest::modelReport_data()
{
    QTest::addColumn<int>("d3");
    QTest::addColumn<int>("d4");
    QTest::addColumn<int>("d5");
    QTest::addColumn<int>("code");
    QTest::addColumn<float>("torqueMax");  // 50 = ranges left alone
    QTest::newRow("1,0 → 10 R1") << 1 << 0 << 0 << 10 << 5.5f;
    QTest::newRow("1,3 → 13 unchanged") << 1 << 3 << 0 << 13 << 50.0f;
    QTest::newRow("0,2,5 → 2 R2") << 0 << 2 << 5 << 2 << 17.0f;
    QTest::newRow("0,2,2 → 2 R2") << 0 << 2 << 2 << 2 << 17.0f;
    QTest::newRow("0,2,3 → 34 R2") << 0 << 2 << 3 << 34 << 17.0f;
    QTest::newRow("0,2,1 → 3 R3") << 0 << 2 << 1 << 3 << 60.0f;
    QTest::newRow("0,2,4 → 2 unchanged") << 0 << 2 << 4 << 2 << 50.0f;
    QTest::newRow("0,3,1 → 35 R3") << 0 << 3 << 1 << 35 << 60.0f;
    QTest::newRow("0,3,0 → 3 unchanged") << 0 << 3 << 0 << 3 << 50.0f;
    QTest::newRow("0,0,1 → 1 R2") << 0 << 0 << 1 << 1 << 17.0f;
    QTest::newRow("0,0,2 → 0 R4") << 0 << 0 << 2 << 0 << 14.0f;
    QTest::newRow("0,0,7 → 32 R4") << 0 << 0 << 7 << 32 << 14.0f;
    QTest::newRow("0,1,2 → 17 R2") << 0 << 1 << 2 << 17 << 17.0f;
    QTest::newRow("0,1,0 → 4 R5") << 0 << 1 << 0 << 4 << 120.0f;
    QTest::newRow("0,1,3 → 33 R2") << 0 << 1 << 3 << 33 << 17.0f;
    QTest::newRow("0,1,1 → 1 unchanged") << 0 << 1 << 1 << 1 << 50.0f;
    QTest::newRow("0,4,0 → 4 R5") << 0 << 4 << 0 << 4 << 120.0f;
    QTest::newRow("0,4,9 → 36 R5") << 0 << 4 << 9 << 36 << 120.0f;
    QTest::newRow("0,5 → 37 R1") << 0 << 5 << 0 << 37 << 5.5f;
    QTest::newRow("0,6 → 38 R6") << 0 << 6 << 0 << 38 << 36.0f;
    QTest::newRow("2,7 → 27 unchanged") << 2 << 7 << 0 << 27 << 50.0f;
}

void WireTest::modelReport()
{
    QFETCH(int, d3);
    QFETCH(int, d4);
    QFETCH(int, d5);
    QFETCH(int, code);
    QFETCH(float, torqueMax);
    otaThread worker;
    Recorder rec(worker);
    QByteArray data = bytes("00 C4 00 00 00 00 00 00");
    data[3] = char(d3);
    data[4] = char(d4);
    data[5] = char(d5);
    worker.getSerialData(reply(2, 1, 0, data));
    QCOMPARE(rec.states, QList<int>{57});
    QCOMPARE(int(worker.motorModelCode), code);
    QCOMPARE(float(worker.torqueMax), torqueMax);
    QCOMPARE(float(worker.torqueMin), -torqueMax);
}

void WireTest::deviceTable()
{
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    worker.getSerialData(reply(0, 3, 0, bytes("AA 00 00 00 00 00 00 00")));
    worker.getSerialData(reply(0, 4, 0, bytes("BB 00 00 00 00 00 00 00")));
    worker.deviceListChanged = false;
    worker.getSerialData(reply(0, 4, 0, bytes("BB 00 00 00 00 00 00 00")));
    QCOMPARE(worker.deviceListChanged, false);
    worker.getSerialData(reply(0, 9, 0, bytes("BB 00 00 00 00 00 00 00")));  // same MCU, new CAN id
    QCOMPARE(worker.deviceListChanged, true);
    QCOMPARE(worker.deviceCount, uint8_t(2));
    QCOMPARE(worker.deviceIds[1], uint8_t(9));
    QCOMPARE(worker.deviceUids[0], 0xAAull);
    // twelve more fill the table; the fifteenth drive is answered but not stored
    for (int i = 1; i <= 13; ++i)
        worker.getSerialData(reply(0, uint8_t(20 + i), 0, QByteArray(1, char(i)) + QByteArray(7, '\0')));
    QCOMPARE(worker.deviceCount, uint8_t(14));
    QCOMPARE(rec.states.size(), 17);
    QCOMPARE(worker.lastCanId, uint8_t(33));
    QCOMPARE(worker.deviceIds[13], uint8_t(32));
    QVERIFY(rec.written.isEmpty());  // multi-device: no model query
}

void WireTest::faultReportNeedsEightBytes()
{
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(21, 2, 0, bytes("40 00 00 00 01 00 00")));
    QVERIFY(rec.states.isEmpty());
    worker.getSerialData(reply(21, 2, 0, bytes("40 00 00 00 01 00 00 00")));
    QCOMPARE(rec.states, QList<int>{29});
    QCOMPARE(worker.faultWord, 0x40u);
    QCOMPARE(worker.warningWord, 1u);
    QCOMPARE(worker.sourceId, uint8_t(2));
}

void WireTest::motorTypeReplies()
{
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 00 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 01 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 02 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("13 70 00 00 00 00 00 00")));
    QCOMPARE(rec.states, (QList<int>{55, 56}));
}

void WireTest::acknowledgements_data()
{
    QTest::addColumn<unsigned>("command");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("acknowledged");

    const QByteArray status = bytes("7F FF 7F FF 7F FF 01 2C");
    // targetId is 1 throughout
    QTest::newRow("1 probe: +OK") << 1u << QByteArray("+OK\r\n") << true;
    QTest::newRow("2 enter config: +OK") << 2u << QByteArray("+OK\r\n") << true;
    QTest::newRow("3 config step: +OK") << 3u << QByteArray("+OK\r\n") << true;
    QTest::newRow("10 reset: OK is not") << 10u << QByteArray("OK\r\n") << false;
    QTest::newRow("4 erase reply") << 4u << reply(11, 1, 0, QByteArray(8, 0)) << true;
    QTest::newRow("4 erase reply with hi set") << 4u << reply(11, 1, 0x0F, QByteArray(8, 0)) << false;
    QTest::newRow("4 erase reply from another") << 4u << reply(11, 2, 0, QByteArray(8, 0)) << false;
    QTest::newRow("9 any type 0") << 9u << reply(0, 7, 0, QByteArray(8, 0)) << true;
    QTest::newRow("9 type 0 to someone else") << 9u << dataLine(0, 0x33, 0x0102, QByteArray(8, 0)) << true;
    QTest::newRow("9 OK answer") << 9u << QByteArray("OK\r\n") << false;
    QTest::newRow("10 reset: mode 0") << 10u << reply(2, 1, 0x00, status) << true;
    QTest::newRow("10 reset: mode 2") << 10u << reply(2, 1, 0x80, status) << false;
    QTest::newRow("11 motor: mode 2") << 11u << reply(2, 1, 0x80, status) << true;
    QTest::newRow("12 brake: mode 3") << 12u << reply(2, 1, 0xC0, status) << true;
    QTest::newRow("13 calibration: mode 1") << 13u << reply(2, 1, 0x40, status) << true;
    QTest::newRow("14 zero: any status") << 14u << reply(2, 1, 0xC0, status) << true;
    QTest::newRow("14 zero: type 24 is not") << 14u << reply(24, 1, 0x00, status) << false;
    QTest::newRow("14 zero: not to host") << 14u << dataLine(2, 0x10, 0x0001, status) << false;
    QTest::newRow("17 table: type 19") << 17u << reply(19, 1, 0, QByteArray(8, 0)) << true;
    QTest::newRow("29: nothing") << 29u << reply(2, 1, 0, status) << false;
}

void WireTest::acknowledgements()
{
    QFETCH(unsigned, command);
    QFETCH(QByteArray, line);
    QFETCH(bool, acknowledged);
    otaThread worker;
    worker.targetId = 1;
    worker.multiDeviceMode = true;
    worker.execute(command);
    worker.getSerialData(line);
    QCOMPARE(bool(worker.ackFlag.load()), acknowledged);
}

void WireTest::notificationsInOrder()
{
    // Raised on another thread, each notification arrives once, in order, with its own code.
    otaThread worker;
    QList<int> seen;
    connect(&worker, &otaThread::sendState, this, [&] { seen << worker.stateCode; });
    QThread* raiser = QThread::create([&worker] {
        for (int code = 0; code < 200; ++code)
            worker.raiseState(code % 63);
    });
    raiser->start();
    raiser->wait();
    delete raiser;
    QTRY_COMPARE(seen.size(), 200);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(seen[i], i % 63);
}

void WireTest::commandDuringDecodeDropsPartialLine()
{
    otaThread worker;
    worker.multiDeviceMode = true;
    connect(&worker, &otaThread::sendState, this, [&] {
        if (worker.stateCode == stDeviceDetected)
            worker.execute(cmdIdle);
    });
    worker.getSerialData(reply(0, 3, 0, QByteArray(8, 1)) + "AT\x01\x02");
    QVERIFY(worker.rxBuffer.isEmpty());
}

QTEST_GUILESS_MAIN(WireTest)
#include "tst_protocol_wire.moc"
