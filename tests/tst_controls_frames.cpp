// The frames the operator controls build themselves, and the field rules behind them.

#include <QtTest>

#include "controls/commandframes.h"

using namespace commandframes;

Q_DECLARE_METATYPE(CanFrame)

class TestControlFrames : public QObject {
    Q_OBJECT

private slots:
    void frameLayout_data();
    void frameLayout();
    void reportPeriod_data();
    void reportPeriod();
    void jogSpeedWord_data();
    void jogSpeedWord();
    void runModeCode_data();
    void runModeCode();
    void adapterCodes_data();
    void adapterCodes();
    void fieldClamp_data();
    void fieldClamp();
    void canIdInput_data();
    void canIdInput();
};

void TestControlFrames::frameLayout_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<uint>("id");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("data");

    const auto row = [](const char* name, const CanFrame& f, uint id, int length, const char* hex) {
        QTest::newRow(name) << f << id << length << QByteArray::fromHex(hex);
    };
    row("float write", paramWriteFloat(0x21, 0x700A, 1.0f), 0x1200FD21u, 8, "0a7000000000803f");
    row("byte write", paramWriteByte(3, indexRunMode, 5), 0x1200FD03u, 8, "0570000005000000");
    row("reporting start", reportingFrame(7, 0, true), 0x1800FD07u, 7, "0100000000000000");
    row("reporting stop", reportingFrame(7, 0, false), 0x1800FD07u, 7, "0000000000000000");
    row("model 2 reports by type 23", reportingFrame(7, 2, true), 0x1700FD07u, 7, "0100000000000000");
    row("model 31 is plain", reportingFrame(7, 31, true), 0x1800FD07u, 7, "0100000000000000");
    row("model 32 start keyed", reportingFrame(7, 32, true), 0x1800FD07u, 7, "0102030405060100");
    row("model 81 stop keyed", reportingFrame(7, 81, false), 0x1800FD07u, 7, "0102030405060000");
    row("jog press", jogFrame(4, 1.0f, true, -50, 50), 0x1200FD04u, 8, "057000000701828e");
    row("jog release", jogFrame(4, 0.0f, false, -50, 50), 0x1200FD04u, 8, "0570000007007fff");
    row("clear fault", clearFaultFrame(9), 0x0400FD09u, 8, "0100000000000000");
    row("private protocol", privateProtocolFrame(), 0xFFFu, 8, "0102030405060000");
    row("report period, model 2", reportPeriodFrame(2, 2, 19), 0x1200FD02u, 8, "2470000013000000");
    row("report period, two bytes", reportPeriodFrame(2, 0, 258), 0x1200FD02u, 8, "2670000002010000");
}

void TestControlFrames::frameLayout()
{
    QFETCH(CanFrame, frame);
    QFETCH(uint, id);
    QFETCH(int, length);
    QFETCH(QByteArray, data);
    QCOMPARE(frame.id, id);
    QCOMPARE(int(frame.length), length);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame.data), 8), data);
}

void TestControlFrames::reportPeriod_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");

    QTest::newRow("3") << "3" << 0 << "5";
    QTest::newRow("5") << "5" << 1 << "10";
    QTest::newRow("14") << "14" << 1 << "10";
    QTest::newRow("15") << "15" << 2 << "15";
    QTest::newRow("100") << "100" << 19 << "100";
    QTest::newRow("not a number is 0") << "abc" << 0 << "5";
    QTest::newRow("reduced to 16 bits") << "65541" << 1 << "10";
    QTest::newRow("65535") << "65535" << 13106 << "65535";
}

void TestControlFrames::reportPeriod()
{
    QFETCH(QString, input);
    QFETCH(int, code);
    QFETCH(QString, shown);
    QCOMPARE(int(reportPeriodCode(input)), code);
    QCOMPARE(reportPeriodText(uint16_t(code)), shown);
}

void TestControlFrames::jogSpeedWord_data()
{
    QTest::addColumn<float>("speed");
    QTest::addColumn<float>("velMin");
    QTest::addColumn<float>("velMax");
    QTest::addColumn<int>("word");

    QTest::newRow("+1 default") << 1.0f << -50.0f << 50.0f << 33422;
    QTest::newRow("-1 default") << -1.0f << -50.0f << 50.0f << 32112;
    QTest::newRow("+1 narrow range") << 1.0f << -20.0f << 20.0f << 34405;
    QTest::newRow("beyond the range saturates") << 1.0f << -0.5f << 0.5f << 65535;
    QTest::newRow("below the range is 0") << -1.0f << -0.5f << 0.5f << 0;
    QTest::newRow("empty range is 0") << 1.0f << 0.0f << 0.0f << 0;
}

void TestControlFrames::jogSpeedWord()
{
    QFETCH(float, speed);
    QFETCH(float, velMin);
    QFETCH(float, velMax);
    QFETCH(int, word);
    QCOMPARE(int(commandframes::jogSpeedWord(speed, velMin, velMax)), word);
}

void TestControlFrames::runModeCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("code");

    QTest::newRow("MIT zh") << QString::fromUtf8("运控模式") << 0 << 0;
    QTest::newRow("MIT en") << "MIT" << 0 << 0;
    QTest::newRow("PP zh") << QString::fromUtf8("插补位置模式") << 0 << 1;
    QTest::newRow("PP en") << "PP" << 0 << 1;
    QTest::newRow("velocity zh") << QString::fromUtf8("速度模式") << 0 << 2;
    QTest::newRow("velocity en") << "Velocity" << 0 << 2;
    QTest::newRow("current zh") << QString::fromUtf8("电流模式") << 0 << 3;
    QTest::newRow("current en") << "Current" << 0 << 3;
    QTest::newRow("CSP zh") << QString::fromUtf8("位置模式") << 0 << 5;
    QTest::newRow("CSP en") << "CSP" << 2 << 5;
    QTest::newRow("CSP zh on model 1") << QString::fromUtf8("位置模式") << 1 << 1;
    QTest::newRow("CSP en on model 1") << "CSP" << 1 << 1;
    QTest::newRow("blank") << "" << 1 << 0;
    QTest::newRow("unknown") << "Torque" << 0 << 0;
}

void TestControlFrames::runModeCode()
{
    QFETCH(QString, text);
    QFETCH(int, model);
    QFETCH(int, code);
    QCOMPARE(int(commandframes::runModeCode(text, uint8_t(model))), code);
}

void TestControlFrames::adapterCodes_data()
{
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<int>("rateCode");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<int>("typeCode");

    QTest::newRow("blank items") << "" << 0 << "" << 1;
    QTest::newRow("1M / extended en") << "1Mbps" << 1 << "Extended Frame" << 1;
    QTest::newRow("500k / standard en") << "500kbps" << 2 << "Standard Frame" << 2;
    QTest::newRow("250k / extended zh") << "250kbps" << 3 << QString::fromUtf8("扩展帧") << 1;
    QTest::newRow("125k / standard zh") << "125kbps" << 4 << QString::fromUtf8("标准帧") << 2;
    QTest::newRow("unknown") << "2Mbps" << 0 << "Standard frame" << 1;
}

void TestControlFrames::adapterCodes()
{
    QFETCH(QString, rateText);
    QFETCH(int, rateCode);
    QFETCH(QString, typeText);
    QFETCH(int, typeCode);
    QCOMPARE(int(adapterRateCode(rateText)), rateCode);
    QCOMPARE(int(adapterFrameTypeCode(typeText)), typeCode);
    const CanFrame f = moduleCommand(moduleSetRate, uint8_t(rateCode));
    QCOMPARE(int(f.length), 3);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(f.data), 3), QByteArray("\x3b", 1) + char(rateCode) + '\0');
}

void TestControlFrames::fieldClamp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::addColumn<QString>("replacement");

    QTest::newRow("position 13") << "13" << -12.57f << 12.57f << "12.57";
    QTest::newRow("position 1 stands") << "1" << -12.57f << 12.57f << "";
    QTest::newRow("position -13") << "-13" << -12.57f << 12.57f << "-12.57";
    QTest::newRow("position 12.57 stands") << "12.57" << -12.57f << 12.57f << "";
    QTest::newRow("lone minus stands") << "-" << -12.57f << 12.57f << "";
    QTest::newRow("Kp -1") << "-1" << 0.0f << 5000.0f << "0.00";
    QTest::newRow("Kp empty stands") << "" << 0.0f << 5000.0f << "";
    QTest::newRow("Kd 5.01") << "5.01" << 0.0f << 5.0f << "5.00";
    QTest::newRow("infinity clamps") << "inf" << -12.57f << 12.57f << "12.57";
    QTest::newRow("nan is 0") << "nan" << -12.57f << 12.57f << "";
    QTest::newRow("nan below a positive range") << "nan" << 1.0f << 2.0f << "1.00";
}

void TestControlFrames::fieldClamp()
{
    QFETCH(QString, text);
    QFETCH(float, low);
    QFETCH(float, high);
    QFETCH(QString, replacement);
    QCOMPARE(clampedFieldText(text, low, high), replacement);
}

void TestControlFrames::canIdInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("replacement");

    QTest::newRow("1") << "1" << 1 << "";
    QTest::newRow("127") << "127" << 127 << "";
    QTest::newRow("128") << "128" << 127 << "127";
    QTest::newRow("0") << "0" << 1 << "1";
    QTest::newRow("empty") << "" << 1 << "1";
    QTest::newRow("letters") << "ab" << 1 << "1";
    QTest::newRow("negative") << "-3" << 1 << "1";
    QTest::newRow("too long for 32 bits") << "99999999999" << 127 << "127";
}

void TestControlFrames::canIdInput()
{
    QFETCH(QString, text);
    QFETCH(int, id);
    QFETCH(QString, replacement);
    const CanIdInput input = parseCanIdInput(text);
    QCOMPARE(int(input.id), id);
    QCOMPARE(input.replacement, replacement);
}

QTEST_GUILESS_MAIN(TestControlFrames)
#include "tst_controls_frames.moc"
