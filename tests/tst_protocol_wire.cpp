// What the worker puts on the line: data lines, module lines, configuration
// texts and the frame and pending operation of every command code.

#include <QtTest>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

QByteArray hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

struct Capture {
    QList<QByteArray> lines;
    explicit Capture(otaThread& worker)
    {
        QObject::connect(&worker, &otaThread::WriteToSerial, [this](QByteArray data, qint16 length) {
            QCOMPARE(int(length), data.size());
            lines << data;
        });
    }
};

}  // namespace

class WireTest : public QObject {
    Q_OBJECT

private slots:
    void dataLineLayout_data();
    void dataLineLayout();
    void moduleLine();
    void adapterTexts_data();
    void adapterTexts();
    void commandFrames_data();
    void commandFrames();
    void motionFrameAllZero();
    void motionCodesSaturate();
    void floatCodes_data();
    void floatCodes();
};

void WireTest::dataLineLayout_data()
{
    QTest::addColumn<uint32_t>("id");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("length 0 is sent as one zero byte")
        << codec::makeId(0, 5, 0xFD) << 0 << QByteArray() << hex("41 54 00 07 E8 2C 01 00 0D 0A");
    QTest::newRow("type 1 to 0x7F") << codec::makeId(1, 0x7F, 0xFD) << 8 << QByteArray(8, '\x11')
                                    << hex("41 54 08 07 EB FC 08 11 11 11 11 11 11 11 11 0D 0A");
    QTest::newRow("length above 8 is cut to 8")
        << codec::makeId(2, 1, 0xFD) << 12 << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)
        << hex("41 54 10 07 E8 0C 08 01 02 03 04 05 06 07 08 0D 0A");
    QTest::newRow("type byte reduced modulo 32")
        << (uint32_t(0x21) << 24 | 0xFD01u) << 1 << QByteArray("\x00", 1) << hex("41 54 08 07 E8 0C 01 00 0D 0A");
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

void WireTest::moduleLine()
{
    CanFrame frame;
    frame.length = 3;
    frame.data[0] = 0x2B;
    frame.data[1] = 0x41;
    QCOMPARE(adapterline::encodeModuleLine(frame), hex("41 54 2B 41 00 0D 0A"));
}

void WireTest::adapterTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("0") << 0 << QByteArray("AT+CAN_MODE=0\r\n");
    QTest::newRow("1") << 1 << QByteArray("AT+CAN_FRAMEFORMAT=1,0,1,0\r\n");
    QTest::newRow("2") << 2 << QByteArray("AT+CAN_FILTER0=1,0,0,0\r\n");
    QTest::newRow("3") << 3 << QByteArray("AT+CAN_BAUD=1000000\r\n");
    QTest::newRow("4") << 4 << QByteArray("AT+USART_PARAM=921600,0,0,0\r\n");
    QTest::newRow("5") << 5 << QByteArray("AT+AT\r\n");
    QTest::newRow("6") << 6 << QByteArray("AT+CG\r\n");
    QTest::newRow("7") << 7 << QByteArray("AT+AT\r\n");
}

void WireTest::adapterTexts()
{
    QFETCH(int, index);
    QFETCH(QByteArray, text);
    otaThread worker;
    Capture out(worker);
    worker.sendAdapterCommand(index);
    QCOMPARE(out.lines, QList<QByteArray>{text});
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
    QTest::newRow("9 set CAN id") << 9u << hex("41 54 38 4F EB FC 08 88 77 66 55 44 33 22 11 0D 0A") << 9;
    QTest::newRow("10 reset") << 10u << hex("41 54 20 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 10;
    QTest::newRow("11 motor") << 11u << hex("41 54 18 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 11;
    QTest::newRow("12 brake") << 12u << hex("41 54 A0 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 12;
    QTest::newRow("13 encoder cal") << 13u << hex("41 54 28 07 EB FC 08 00 00 00 00 00 00 00 00 0D 0A") << 13;
    QTest::newRow("14 set zero") << 14u << hex("41 54 30 07 EB FC 08 01 00 00 00 00 00 00 00 0D 0A") << 14;
    QTest::newRow("15 motion once") << 15u << hex("41 54 0B FF FB FC 08 7F FF 7F FF 00 00 00 00 0D 0A") << 15;
    QTest::newRow("16 motion stream") << 16u << QByteArray() << 16;
    // lastCanId 5
    QTest::newRow("29 model query") << 29u << hex("41 54 20 07 E8 2C 08 00 C4 00 00 00 00 00 00 0D 0A") << 29;
    QTest::newRow("28 nothing") << 28u << QByteArray() << 0;
    QTest::newRow("30 nothing") << 30u << QByteArray() << 0;
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
    Capture out(worker);

    worker.execute(code);

    QCOMPARE(out.lines.size(), line.isEmpty() ? 0 : 1);
    if (!line.isEmpty())
        QCOMPARE(out.lines.first().toHex(' '), line.toHex(' '));
    QCOMPARE(worker.pendingOp.load(), pending);
    QCOMPARE(int(worker.ackFlag.load()), 0);
    QCOMPARE(worker.elapsedMs.load(), 0u);
}

void WireTest::motionFrameAllZero()
{
    otaThread worker;
    worker.targetId = 1;
    Capture out(worker);
    worker.execute(cmdMotionOnce);
    QCOMPARE(out.lines.size(), 1);
    const CanFrame frame = adapterline::parseDataLine(out.lines.first());
    QCOMPARE(codec::commType(frame.id), uint8_t(1));
    QCOMPARE(codec::field(frame.id), uint16_t(32767));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame.data), 8).toHex(' '), QByteArray("7f ff 7f ff 00 00 00 00"));
    const int expected[5] = {32767, 32767, 0, 0, 32767};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(int(worker.encodedSetPoints[i]), expected[i]);
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

void WireTest::floatCodes_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("min");
    QTest::addColumn<float>("max");
    QTest::addColumn<uint>("code");
    QTest::newRow("middle") << 0.0f << -12.57f << 12.57f << 32767u;
    QTest::newRow("top") << 12.57f << -12.57f << 12.57f << 65535u;
    QTest::newRow("bottom") << -12.57f << -12.57f << 12.57f << 0u;
    QTest::newRow("below clamps to 0") << -20.0f << -12.57f << 12.57f << 0u;
    QTest::newRow("one rad/s") << 1.0f << -50.0f << 50.0f << 33422u;
}

void WireTest::floatCodes()
{
    QFETCH(float, x);
    QFETCH(float, min);
    QFETCH(float, max);
    QFETCH(uint, code);
    QCOMPARE(codec::floatToUint(x, min, max, 16), uint32_t(code));
    if (code > 0 && code < 65535)
        QVERIFY(qAbs(codec::uintToFloat(code, min, max, 16) - x) < (max - min) / 65535.0f * 1.5f);
}

QTEST_GUILESS_MAIN(WireTest)
#include "tst_protocol_wire.moc"
