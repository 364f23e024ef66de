// The texts of the drive and adapter reactions, in both languages.

#include <QtTest>

#include "ui/statustexts.h"

using namespace statustexts;

class TestReactionTexts : public QObject {
    Q_OBJECT

private slots:
    void feedbackLine_data();
    void feedbackLine();
    void faultReport_data();
    void faultReport();
    void texts_data();
    void texts();
    void hallLines_data();
    void hallLines();
    void modelName_data();
    void modelName();
    void detection_data();
    void detection();
    void moduleBaudRate_data();
    void moduleBaudRate();
    void moduleFrameType_data();
    void moduleFrameType();
    void deviceCodeTexts_data();
    void deviceCodeTexts();
};

namespace {

MotorFeedback feedback(int mode)
{
    MotorFeedback fb;
    fb.sourceId = 1;
    fb.position = 1.5f;
    fb.velocity = 0.0f;
    fb.torque = -0.25f;
    fb.temperature = 31.2f;
    fb.mode = mode;
    return fb;
}

}  // namespace

void TestReactionTexts::feedbackLine_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVector<int>>("flags");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("expected");

    QTest::newRow("motor, no fault, English")
        << 2 << QVector<int>{} << true
        << "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:MOTOR temperature 31.2000 Fault:None";
    QTest::newRow("motor, no fault, Chinese")
        << 2 << QVector<int>{} << false
        << QString::fromUtf8("电机：1 位置：1.5000 速度：0.0000 力矩：-0.2500 模式：MOTOR 温度 31.2000 故障：无");
    QTest::newRow("flags 1 and 5, English")
        << 0 << QVector<int>{1, 5} << true
        << "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:RESET temperature 31.2000 "
           "Fault:/Overcurrent/Uncalibrated";
    QTest::newRow("all flags, Chinese, calibration")
        << 1 << QVector<int>{0, 1, 2, 3, 4, 5} << false
        << QString::fromUtf8("电机：1 位置：1.5000 速度：0.0000 力矩：-0.2500 模式：标定 温度 31.2000 "
                             "故障：/低压/过流/过温/编码器/霍尔/未标定");
    QTest::newRow("brake, calibration word in English")
        << 3 << QVector<int>{3} << true
        << "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:BRAKE temperature 31.2000 Fault:/Encoder";
    QTest::newRow("mode 1 English")
        << 1 << QVector<int>{0, 2, 4} << true
        << "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:Calibration temperature 31.2000 "
           "Fault:/low pressure/Overheating/Hall";
    QTest::newRow("unknown mode reads RESET")
        << 7 << QVector<int>{} << true
        << "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:RESET temperature 31.2000 Fault:None";
}

void TestReactionTexts::feedbackLine()
{
    QFETCH(int, mode);
    QFETCH(QVector<int>, flags);
    QFETCH(bool, english);
    QFETCH(QString, expected);
    MotorFeedback fb = feedback(mode);
    for (int f : flags)
        fb.faultFlags[f] = true;
    fb.noFault = flags.isEmpty();
    QCOMPARE(statustexts::feedbackLine(fb).in(english), expected);
}

void TestReactionTexts::faultReport_data()
{
    QTest::addColumn<uint>("faultWord");
    QTest::addColumn<uint>("warningWord");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bit 6 has no text") << 0x40u << 0u << true
                                       << QString::fromUtf8("Motor:3\r\nFault：\r\n\r\nWarning：\r\n");
    QTest::newRow("temperature and encoder, torque warning")
        << 0x81u << 0x4u << true
        << QString::fromUtf8("Motor:3\r\nFault：\r\n  Motor temperature is too high\r\n  Encoder not calibrated\r\n"
                             "\r\nWarning：\r\n  Torque calibration fault\r\n");
    QTest::newRow("every bit, Chinese")
        << 0xFFFFFFFFu << 0xFFFFFFFFu << false
        << QString::fromUtf8("电机：3\r\n故障：\r\n  电机温度过高\r\n  驱动芯片故障\r\n  母线电压过低\r\n"
                             "  母线电压过高\r\n  B相电流过大\r\n  C相电流过大\r\n  编码器未标定\r\n"
                             "\r\n警告：\r\n  电机高温预警\r\n  HALL未标定\r\n  力矩标定故障\r\n"
                             "  力矩标定拟合零偏过大\r\n");
    QTest::newRow("bus voltages, high-temperature and Hall warnings")
        << 0x3Cu << 0x3u << true
        << QString::fromUtf8("Motor:3\r\nFault：\r\n  Bus voltage is too low\r\n  Bus voltage is too high\r\n"
                             "  Phase B current is too large\r\n  Phase C current is too large\r\n"
                             "\r\nWarning：\r\n  Motor high temperature warning\r\n  HALL uncalibrated\r\n");
}

void TestReactionTexts::faultReport()
{
    QFETCH(uint, faultWord);
    QFETCH(uint, warningWord);
    QFETCH(bool, english);
    QFETCH(QString, expected);
    QCOMPARE(statustexts::faultReport(3, faultWord, warningWord).in(english), expected);
}

void TestReactionTexts::hallLines_data()
{
    QTest::addColumn<uint>("faultFlags");
    QTest::addColumn<uint>("warnFlags");
    QTest::addColumn<QByteArray>("sensors");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    const QByteArray clean(6, 0);
    QTest::newRow("warn 0x03 in the summary")
        << 0u << 3u << clean << true << 0
        << QString::fromUtf8("HALL calibration completed-equipment：9 Fault: Warn:3/Non-monotonic"
                             "/The maximum value of the lookup table exceeds the limit");
    QTest::newRow("summary faults incl. uncalibrated, hex warn")
        << 0x8Fu << 0x2Cu << clean << true << 0
        << QString::fromUtf8("HALL calibration completed-equipment：9 Fault:/Maximum/Minimum/Anchor Point"
                             "/Dynamic Value/Uncalibrated Warn:2c/The minimum value of the lookup table exceeds the limit");
    QTest::newRow("summary, Chinese") << 0x80u << 0x1u << clean << false << 0
                                      << QString::fromUtf8("HALL标定完成-设备：9 故障：/未标定 警告：1/非单调");
    QByteArray sensors(6, 0);
    sensors[2] = char(0x85);  // bit 7 has no sensor text
    sensors[5] = char(0x7F);
    QTest::newRow("sensor 3") << 0u << 0u << sensors << true << 3
                              << QString::fromUtf8("HALL  serial number:3 Fault:/Maximum/Anchor Point Warn:");
    QTest::newRow("sensor 6, every text, Chinese")
        << 0u << 0u << sensors << false << 6
        << QString::fromUtf8("HALL  编号：6 故障：/极大值/极小值/定位点/动态值 警告：/非单调/查表极大值超限/查表极小值超限");
    QTest::newRow("clean sensor 1") << 0u << 0u << sensors << true << 1
                                    << QString::fromUtf8("HALL  serial number:1 Fault: Warn:");
}

void TestReactionTexts::hallLines()
{
    QFETCH(uint, faultFlags);
    QFETCH(uint, warnFlags);
    QFETCH(QByteArray, sensors);
    QFETCH(bool, english);
    QFETCH(int, line);
    QFETCH(QString, expected);
    uint8_t flags[6];
    for (int i = 0; i < 6; ++i)
        flags[i] = uint8_t(sensors[i]);
    const QStringList lines = pickEach(statustexts::hallLines(9, uint8_t(faultFlags), uint8_t(warnFlags), flags), english);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.at(line), expected);
}

void TestReactionTexts::modelName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << "ZR00";
    QTest::newRow("32") << 32 << "ZR00";
    QTest::newRow("1") << 1 << "ZR01";
    QTest::newRow("17") << 17 << "ZR01";
    QTest::newRow("33") << 33 << "ZR01";
    QTest::newRow("2") << 2 << "ZR02";
    QTest::newRow("34") << 34 << "ZR02";
    QTest::newRow("35") << 35 << "ZR03";
    QTest::newRow("36") << 36 << "ZR04";
    QTest::newRow("37") << 37 << "ZR05";
    QTest::newRow("38") << 38 << "ZR06";
    QTest::newRow("10") << 10 << "KT10";
    QTest::newRow("49 is not 17's alias") << 49 << "ZR049";
    QTest::newRow("81") << 81 << "VP81";
    QTest::newRow("200") << 200 << "ZR0200";
}

void TestReactionTexts::modelName()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(statustexts::modelName(uint8_t(code)), name);
    QCOMPARE(modelLabel(name).english, "motor type " + name);
    QCOMPARE(modelLabel(name).chinese, QString::fromUtf8("电机类型 ") + name);
}

void TestReactionTexts::detection_data()
{
    QTest::addColumn<int>("canId");
    QTest::addColumn<qulonglong>("mcuId");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    QTest::newRow("full 64 bits")
        << 127 << qulonglong(0xFEDCBA9876543210ull) << "CAN:127  id:fedcba9876543210"
        << "Detected equipment,mcuId:0Xfedcba9876543210 canId:127"
        << QString::fromUtf8("检测到设备,mcuId:0Xfedcba9876543210 canId:127");
    QTest::newRow("zero uid") << 1 << qulonglong(0) << "CAN:1  id:0" << "Detected equipment,mcuId:0X0 canId:1"
                              << QString::fromUtf8("检测到设备,mcuId:0X0 canId:1");
}

void TestReactionTexts::detection()
{
    QFETCH(int, canId);
    QFETCH(qulonglong, mcuId);
    QFETCH(QString, entry);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    QCOMPARE(detectionEntry(uint8_t(canId), mcuId), entry);
    QCOMPARE(detectionText(mcuId, uint8_t(canId)).english, english);
    QCOMPARE(detectionText(mcuId, uint8_t(canId)).chinese, chinese);
}

void TestReactionTexts::moduleBaudRate_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    const QString oneMbit = "The module baud rate is 1Mbps";
    const QString oneMbitZh = QString::fromUtf8("模块波特率为1Mbps");
    QTest::newRow("0") << 0 << "1Mbps" << oneMbit << oneMbitZh;
    QTest::newRow("1") << 1 << "1Mbps" << oneMbit << oneMbitZh;
    QTest::newRow("2") << 2 << "500kbps" << "The module baud rate is 500kbps" << QString::fromUtf8("模块波特率为500kbps");
    QTest::newRow("3") << 3 << "250kbps" << "The module baud rate is 250kbps" << QString::fromUtf8("模块波特率为250kbps");
    QTest::newRow("4") << 4 << "125kbps" << "The module baud rate is 125kbps" << QString::fromUtf8("模块波特率为125kbps");
    QTest::newRow("5") << 5 << "1Mbps" << oneMbit << oneMbitZh;
    QTest::newRow("255") << 255 << "1Mbps" << oneMbit << oneMbitZh;
}

void TestReactionTexts::moduleBaudRate()
{
    QFETCH(int, code);
    QFETCH(QString, combo);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    const ModuleSetting setting = statustexts::moduleBaudRate(uint8_t(code));
    QCOMPARE(setting.comboText.english, combo);
    QCOMPARE(setting.comboText.chinese, combo);
    QCOMPARE(setting.label.english, english);
    QCOMPARE(setting.label.chinese, chinese);
}

void TestReactionTexts::moduleFrameType_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("label");

    for (int code : {0, 1, 3, 7}) {
        QTest::addRow("%d English", code) << code << true << "Extended Frame" << "Extended Frame";
        QTest::addRow("%d Chinese", code) << code << false << QString::fromUtf8("扩展帧") << QString::fromUtf8("扩展帧");
    }
    QTest::newRow("2 English") << 2 << true << "Standard Frame" << "Standard frame";
    QTest::newRow("2 Chinese") << 2 << false << QString::fromUtf8("标准帧") << QString::fromUtf8("标准帧");
}

void TestReactionTexts::moduleFrameType()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, combo);
    QFETCH(QString, label);
    const ModuleSetting setting = statustexts::moduleFrameType(uint8_t(code));
    QCOMPARE(setting.comboText.in(english), combo);
    QCOMPARE(setting.label.in(english), label);
}

void TestReactionTexts::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");

    QTest::newRow("calibration progress, English")
        << calibrationProgressLine(1.25f, -3.5f, 4095).english
        << QString::fromUtf8("Encoder calibration - rotor angle：1.2500 Stator flux angle:-3.5000 Sensor Value:4095");
    QTest::newRow("calibration progress, Chinese") << calibrationProgressLine(0.0f, 6.28318f, 0).chinese
                                       << QString::fromUtf8("编码器标定中-转子角度：0.0000 定子磁链角度：6.2832 传感器值：0");
    QTest::newRow("calibration result, negative correction, English")
        << calibrationResultLine(7, 2, 31, -123456).english
        << QString::fromUtf8(
               "Encoder Calibration Results - Equipment：7 serial number:2 Array number:31 Correction value:-123456");
    QTest::newRow("calibration result, Chinese") << calibrationResultLine(127, 65535, 0, 42).chinese
                                     << QString::fromUtf8("编码器标定结果-设备：127 编号：65535 数组序号：0 校正值：42");
    QTest::newRow("calibration done, English") << calibrationDoneLine(5, 0.125f).english
                                   << QString::fromUtf8(
                                          "Encoder calibration completed - equipment：5 Encoder Electrical Offset：0.125000");
    QTest::newRow("calibration done, Chinese keeps the English offset label")
        << calibrationDoneLine(5, -1.5f).chinese
        << QString::fromUtf8("编码器标定完成-设备：5 Encoder Electrical Offset：-1.500000");
    QTest::newRow("connected zh") << moduleConnectedText().chinese << QString::fromUtf8("已连接模块");
    QTest::newRow("59 zh") << moduleLegacyFirmwareText().chinese << QString::fromUtf8("请升级最新固件以获取修改波特率功能");
    QTest::newRow("60 en") << moduleBaudChangedText().english
                           << "The CAN baud rate of the module has been modified successfully. Re-plugging and "
                              "unplugging will take effect";
    QTest::newRow("62 zh") << moduleFrameTypeChangedText().chinese << QString::fromUtf8("模块帧类型已修改成功，重新插拔生效");
    QTest::newRow("serial scan zh") << configuringSerialText(1152000).chinese << QString::fromUtf8("配置串口：1152000");
    QTest::newRow("ready zh") << adapterReadyText().chinese << QString::fromUtf8("CAN模块配置成功！");
}

void TestReactionTexts::texts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestReactionTexts::deviceCodeTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<bool>("suffix");

    QTest::newRow("16") << 16 << "CAN_ID set successfully!" << QString::fromUtf8("设置CAN_ID成功!") << true;
    QTest::newRow("17") << 17 << "Failed to set CAN_ID!" << QString::fromUtf8("设置CAN_ID失败!") << true;
    QTest::newRow("18") << 18 << "Set RESET mode successfully!" << QString::fromUtf8("设置RESET模式成功!") << true;
    QTest::newRow("19") << 19 << "Failed to set RESET mode!" << QString::fromUtf8("设置RESET模式失败!") << true;
    QTest::newRow("20") << 20 << "Set MOTOR mode successfully!" << QString::fromUtf8("设置MOTOR模式成功!") << true;
    QTest::newRow("21") << 21 << "Failed to set MOTOR mode!" << QString::fromUtf8("设置MOTOR模式失败!") << true;
    QTest::newRow("22") << 22 << "Set BRAKE mode successfully!" << QString::fromUtf8("设置BRAKE模式成功!") << true;
    QTest::newRow("23") << 23 << "Failed to set BRAKE mode!" << QString::fromUtf8("设置BRAKE模式失败!") << true;
    QTest::newRow("24") << 24 << "High-speed encoder calibration mode is set successfully!"
                        << QString::fromUtf8("设置高速编码器标定模式成功!") << true;
    QTest::newRow("25") << 25 << "Failed to set high-speed encoder calibration mode!"
                        << QString::fromUtf8("设置高速编码器标定模式失败!") << true;
    QTest::newRow("26") << 26 << "Set the mechanical zero position successfully!"
                        << QString::fromUtf8("设置机械零位成功!") << true;
    QTest::newRow("27") << 27 << "Failed to set mechanical zero position!" << QString::fromUtf8("设置机械零位失败!")
                        << true;
    QTest::newRow("55") << 55 << "Set motor type 0 successfully" << QString::fromUtf8("设置电机类型0成功") << false;
    QTest::newRow("56") << 56 << "Set motor type 1 successfully" << QString::fromUtf8("设置电机类型1成功") << false;
    QTest::newRow("28 is not a device code") << 28 << QString() << QString() << false;
    QTest::newRow("15 is not a device code") << 15 << QString() << QString() << false;
}

void TestReactionTexts::deviceCodeTexts()
{
    QFETCH(int, code);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    QFETCH(bool, suffix);
    QCOMPARE(deviceCodeText(code).english, english);
    QCOMPARE(deviceCodeText(code).chinese, chinese);
    QCOMPARE(deviceCodeTakesSuffix(code), suffix);
}

QTEST_GUILESS_MAIN(TestReactionTexts)
#include "tst_reactions_texts.moc"
