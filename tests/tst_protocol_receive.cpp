// The receive path: cutting the byte stream into lines, classifying them,
// every type handler and the acknowledgement tables.

#include <QtTest>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

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

QByteArray bytes(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

struct Recorder {
    QList<int> states;
    QList<QByteArray> written;
    explicit Recorder(otaThread& worker)
    {
        QObject::connect(&worker, &otaThread::sendState, [this, &worker] { states << worker.stateCode; });
        QObject::connect(&worker, &otaThread::WriteToSerial, [this](QByteArray d, qint16) { written << d; });
    }
};

}  // namespace

class ReceiveTest : public QObject {
    Q_OBJECT

private slots:
    void cutsTwoLinesAndAHalf();
    void crLfInsideAFrame_data();
    void crLfInsideAFrame();
    void bufferStaysBounded();
    void lengthByteAboveEight();
    void wrongLengthByteIsNotAFrame();
    void identifierIgnoresFlagBits();
    void adapterAnswers_data();
    void adapterAnswers();
    void okAcknowledgesProbe();
    void feedbackScaling();
    void modeAndFaultBits();
    void rangeReports_data();
    void rangeReports();
    void modelReport_data();
    void modelReport();
    void deviceTable();
    void fifteenthDriveIsNotStored();
    void singleDeviceDetectionQueriesModel();
    void faultReportNeedsEightBytes();
    void calibrationReports();
    void motorTypeReplies();
    void acknowledgements_data();
    void acknowledgements();
    void notificationsInOrder();
    void commandDuringDecodeDropsPartialLine();
};

void ReceiveTest::cutsTwoLinesAndAHalf()
{
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    const QByteArray a = reply(0, 3, 0, bytes("01 00 00 00 00 00 00 00"));
    const QByteArray b = reply(0, 4, 0, bytes("02 00 00 00 00 00 00 00"));
    const QByteArray c = reply(0, 5, 0, bytes("03 00 00 00 00 00 00 00"));
    worker.getSerialData(a + b + c.left(8));
    QCOMPARE(rec.states, (QList<int>{0, 0}));
    QCOMPARE(worker.deviceCount, uint8_t(2));
    QCOMPARE(worker.rxBuffer, c.left(8));
    worker.getSerialData(c.mid(8));
    QCOMPARE(worker.deviceCount, uint8_t(3));
    QCOMPARE(worker.deviceIds[2], uint8_t(5));
    QVERIFY(worker.rxBuffer.isEmpty());
}

void ReceiveTest::crLfInsideAFrame_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<uint8_t>("expectedSource");
    // Source id 0x0D with status 0x0A puts 0D 0A... in the identifier bytes; data carry it too.
    QTest::newRow("in the data") << reply(0, 7, 0, bytes("11 0D 0A 22 33 44 55 66")) << uint8_t(7);
    QTest::newRow("in the identifier") << dataLine(0, 0x0D, 0x0A01, bytes("0D 0A 0D 0A 0D 0A 0D 0A")) << uint8_t(1);
}

void ReceiveTest::crLfInsideAFrame()
{
    QFETCH(QByteArray, line);
    QFETCH(uint8_t, expectedSource);
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    worker.getSerialData(line + reply(0, 9, 0, bytes("09 00 00 00 00 00 00 00")));
    QCOMPARE(rec.states, (QList<int>{0, 0}));
    QCOMPARE(worker.deviceIds[0], expectedSource);
    QCOMPARE(worker.deviceIds[1], uint8_t(9));
}

void ReceiveTest::bufferStaysBounded()
{
    otaThread worker;
    for (int i = 0; i < 1000; ++i)
        worker.getSerialData(QByteArray(100, '\x55'));
    QVERIFY(worker.rxBuffer.size() <= adapterline::receiveBufferBound);
    Recorder rec(worker);
    worker.getSerialData("\r\nOK\r\n");
    QCOMPARE(rec.states, QList<int>{59});
}

void ReceiveTest::lengthByteAboveEight()
{
    // 20 bytes with length byte 11: a data line by its size, but only eight bytes are read.
    QByteArray line = bytes("41 54 00 07 E8 1C 0B") + QByteArray(11, '\x01') + "\r\n";
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    worker.getSerialData(line);
    QCOMPARE(rec.states, QList<int>{0});
    QCOMPARE(worker.rxFrame.length, uint8_t(8));
    QCOMPARE(worker.lastUid, 0x0101010101010101ull);
}

void ReceiveTest::wrongLengthByteIsNotAFrame()
{
    QByteArray line = reply(0, 3, 0, bytes("01 00 00 00 00 00 00"));  // 16 bytes
    line[6] = 8;
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    worker.getSerialData(line);
    QVERIFY(rec.states.isEmpty());
    QCOMPARE(worker.deviceCount, uint8_t(0));
}

void ReceiveTest::identifierIgnoresFlagBits()
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

void ReceiveTest::adapterAnswers_data()
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

void ReceiveTest::adapterAnswers()
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

void ReceiveTest::okAcknowledgesProbe()
{
    otaThread worker;
    Recorder rec(worker);
    for (unsigned cmd : {1u, 2u, 3u}) {
        worker.execute(cmd);
        QCOMPARE(int(worker.ackFlag), 0);
        worker.getSerialData("+OK\r\n");
        QCOMPARE(int(worker.ackFlag), 1);
    }
    worker.execute(cmdResetMode);
    worker.getSerialData("OK\r\n");
    QCOMPARE(int(worker.ackFlag), 0);
}

void ReceiveTest::feedbackScaling()
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

void ReceiveTest::modeAndFaultBits()
{
    otaThread worker;
    worker.targetId = 1;
    worker.execute(cmdBrakeMode);
    worker.getSerialData(reply(2, 1, 0xC0 | 0x22, bytes("7F FF 7F FF 7F FF 01 2C")));
    QCOMPARE(worker.fbMode, 3);
    QCOMPARE(int(worker.ackFlag), 1);
    QCOMPARE(worker.fbNoFault, false);
    const bool expected[6] = {false, true, false, false, false, true};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(worker.fbFaultFlags[i], expected[i]);
}

void ReceiveTest::rangeReports_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("member");
    QTest::newRow("velocity") << bytes("00 D1 00 00 F0 41 00 00") << "vel";
    QTest::newRow("torque") << bytes("00 D2 00 00 F0 41 00 00") << "torque";
    QTest::newRow("kp") << bytes("00 D3 00 00 F0 41 00 00") << "kp";
    QTest::newRow("kd") << bytes("00 D4 00 00 F0 41 00 00") << "kd";
}

void ReceiveTest::rangeReports()
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

void ReceiveTest::modelReport_data()
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
    QTest::newRow("8 bits: 30,0,2 → 0 R4") << 30 << 0 << 2 << 0 << 14.0f;
}

void ReceiveTest::modelReport()
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

void ReceiveTest::deviceTable()
{
    otaThread worker;
    worker.multiDeviceMode = true;
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
    QCOMPARE(worker.lastCanId, uint8_t(9));
}

void ReceiveTest::fifteenthDriveIsNotStored()
{
    otaThread worker;
    worker.multiDeviceMode = true;
    Recorder rec(worker);
    for (int i = 1; i <= 15; ++i) {
        QByteArray uid(8, '\0');
        uid[0] = char(i);
        worker.getSerialData(reply(0, uint8_t(i), 0, uid));
    }
    QCOMPARE(worker.deviceCount, uint8_t(14));
    QCOMPARE(rec.states.size(), 15);
    QCOMPARE(worker.lastCanId, uint8_t(15));
    QCOMPARE(worker.deviceIds[13], uint8_t(14));
    QVERIFY(rec.written.isEmpty());  // multi-device: no model query
}

void ReceiveTest::singleDeviceDetectionQueriesModel()
{
    otaThread worker;
    worker.targetId = 1;
    Recorder rec(worker);
    worker.execute(cmdScanDevices);
    worker.getSerialData(reply(0, 6, 0, bytes("01 02 03 04 05 06 07 08")));
    QCOMPARE(worker.pendingOp.load(), int(opQueryModel));
    QCOMPARE(rec.written.size(), 1);
    const CanFrame query = adapterline::parseDataLine(rec.written.first());
    QCOMPARE(codec::commType(query.id), uint8_t(4));
    QCOMPARE(codec::destination(query.id), uint8_t(6));
    QCOMPARE(query.data[1], uint8_t(0xC4));
    QCOMPARE(worker.lastUid, 0x0807060504030201ull);
}

void ReceiveTest::faultReportNeedsEightBytes()
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

void ReceiveTest::calibrationReports()
{
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(15, 0x34, 0x12, bytes("00 00 C0 3F 00 00 20 C0")));
    QCOMPARE(worker.calSensorValue, uint16_t(0x1234));
    QCOMPARE(worker.calRotorAngle, 1.5f);
    QCOMPARE(worker.calFluxAngle, -2.5f);
    worker.getSerialData(reply(16, 3, 0, bytes("02 00 05 00 FE FF FF FF")));
    QCOMPARE(worker.calSerial, uint16_t(2));
    QCOMPARE(worker.calArrayIndex, uint16_t(5));
    QCOMPARE(worker.calCorrection, -2);
    worker.getSerialData(reply(5, 3, 0, bytes("00 00 80 3F 00 00 00 00")));
    QCOMPARE(worker.encoderOffset, 1.0f);
    worker.getSerialData(reply(5, 3, 1, bytes("12 34 56 78 9A BC 81 03")));
    QCOMPARE(worker.hallSensorFlags[0], uint8_t(0x21));
    QCOMPARE(worker.hallSensorFlags[5], uint8_t(0xCB));
    QCOMPARE(worker.hallFaultFlags, uint8_t(0x81));
    QCOMPARE(worker.hallWarnFlags, uint8_t(0x03));
    worker.getSerialData(reply(5, 3, 2, bytes("00 00 00 00 00 00 00 00")));
    QCOMPARE(rec.states, (QList<int>{30, 31, 32, 36}));
}

void ReceiveTest::motorTypeReplies()
{
    otaThread worker;
    Recorder rec(worker);
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 00 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 01 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("12 70 00 00 02 00 00 00")));
    worker.getSerialData(reply(18, 1, 0, bytes("13 70 00 00 00 00 00 00")));
    QCOMPARE(rec.states, (QList<int>{55, 56}));
}

void ReceiveTest::acknowledgements_data()
{
    QTest::addColumn<unsigned>("command");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("acknowledged");

    const QByteArray status = bytes("7F FF 7F FF 7F FF 01 2C");
    // targetId is 1 throughout
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

void ReceiveTest::acknowledgements()
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

void ReceiveTest::notificationsInOrder()
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

void ReceiveTest::commandDuringDecodeDropsPartialLine()
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

QTEST_GUILESS_MAIN(ReceiveTest)
#include "tst_protocol_receive.moc"
