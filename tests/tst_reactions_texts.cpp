// The texts of the drive and adapter reactions, in both languages.

#include <QtTest>

#include "support/ruletable.h"
#include "ui/statustexts.h"

using namespace statustexts;

class TestReactionTexts : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
};

namespace {

QString z(const char* text) { return QString::fromUtf8(text); }

// Both languages in one text: "English | Chinese".
QString both(const Bilingual& text) { return text.english + " | " + text.chinese; }

QString feedback(int mode, const QVector<int>& flags, bool english)
{
    MotorFeedback fb;
    fb.sourceId = 1;
    fb.position = 1.5f;
    fb.velocity = 0.0f;
    fb.torque = -0.25f;
    fb.temperature = 31.2f;
    fb.mode = mode;
    for (int f : flags)
        fb.faultFlags[f] = true;
    fb.noFault = flags.isEmpty();
    return feedbackLine(fb).in(english);
}

// Line `line` of the seven HALL calibration lines of drive 9.
QString hall(uint8_t faults, uint8_t warnings, const QByteArray& sensors, bool english, int line)
{
    uint8_t flags[6];
    for (int i = 0; i < 6; ++i)
        flags[i] = uint8_t(sensors[i]);
    const QStringList lines = pickEach(hallLines(9, faults, warnings, flags), english);
    return lines.size() == 7 ? lines.at(line) : QStringLiteral("%1 lines").arg(lines.size());
}

// A module setting: the selector item and the label, each in both languages.
QString setting(const ModuleSetting& s) { return both(s.comboText) + " / " + both(s.label); }

// A device outcome code's text; "+ drive" when the drive's entry follows it.
QString deviceCode(int code) { return both(deviceCodeText(code)) + (deviceCodeTakesSuffix(code) ? " + drive" : ""); }

}  // namespace

void TestReactionTexts::texts_data()
{
    ruletable::columns();
    const auto row = ruletable::row;

    row("feedback: motor, no fault, English", feedback(2, {}, true),
        "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:MOTOR temperature 31.2000 Fault:None");
    row("feedback: motor, no fault, Chinese", feedback(2, {}, false),
        z("电机：1 位置：1.5000 速度：0.0000 力矩：-0.2500 模式：MOTOR 温度 31.2000 故障：无"));
    row("feedback: flags 1 and 5, English", feedback(0, {1, 5}, true),
        "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:RESET temperature 31.2000 "
        "Fault:/Overcurrent/Uncalibrated");
    row("feedback: all flags, Chinese, calibration", feedback(1, {0, 1, 2, 3, 4, 5}, false),
        z("电机：1 位置：1.5000 速度：0.0000 力矩：-0.2500 模式：标定 温度 31.2000 故障：/低压/过流/过温/编码器/霍尔/未标定"));
    row("feedback: brake", feedback(3, {3}, true),
        "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:BRAKE temperature 31.2000 Fault:/Encoder");
    row("feedback: calibration word in English", feedback(1, {0, 2, 4}, true),
        "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:Calibration temperature 31.2000 "
        "Fault:/low pressure/Overheating/Hall");
    row("feedback: unknown mode reads RESET", feedback(7, {}, true),
        "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:RESET temperature 31.2000 Fault:None");

    row("fault report: bit 6 has no text", faultReport(3, 0x40, 0).english, z("Motor:3\r\nFault：\r\n\r\nWarning：\r\n"));
    row("fault report: temperature and encoder, torque warning", faultReport(3, 0x81, 0x4).english,
        z("Motor:3\r\nFault：\r\n  Motor temperature is too high\r\n  Encoder not calibrated\r\n"
          "\r\nWarning：\r\n  Torque calibration fault\r\n"));
    row("fault report: every bit, Chinese", faultReport(3, 0xFFFFFFFF, 0xFFFFFFFF).chinese,
        z("电机：3\r\n故障：\r\n  电机温度过高\r\n  驱动芯片故障\r\n  母线电压过低\r\n  母线电压过高\r\n  B相电流过大\r\n"
          "  C相电流过大\r\n  编码器未标定\r\n\r\n警告：\r\n  电机高温预警\r\n  HALL未标定\r\n  力矩标定故障\r\n"
          "  力矩标定拟合零偏过大\r\n"));
    row("fault report: bus voltages, high-temperature and Hall warnings", faultReport(3, 0x3C, 0x3).english,
        z("Motor:3\r\nFault：\r\n  Bus voltage is too low\r\n  Bus voltage is too high\r\n"
          "  Phase B current is too large\r\n  Phase C current is too large\r\n"
          "\r\nWarning：\r\n  Motor high temperature warning\r\n  HALL uncalibrated\r\n"));

    row("calibration progress, English", calibrationProgressLine(1.25f, -3.5f, 4095).english,
        z("Encoder calibration - rotor angle：1.2500 Stator flux angle:-3.5000 Sensor Value:4095"));
    row("calibration progress, Chinese", calibrationProgressLine(0.0f, 6.28318f, 0).chinese,
        z("编码器标定中-转子角度：0.0000 定子磁链角度：6.2832 传感器值：0"));
    row("calibration result, negative correction, English", calibrationResultLine(7, 2, 31, -123456).english,
        z("Encoder Calibration Results - Equipment：7 serial number:2 Array number:31 Correction value:-123456"));
    row("calibration result, Chinese", calibrationResultLine(127, 65535, 0, 42).chinese,
        z("编码器标定结果-设备：127 编号：65535 数组序号：0 校正值：42"));
    row("calibration done, English", calibrationDoneLine(5, 0.125f).english,
        z("Encoder calibration completed - equipment：5 Encoder Electrical Offset：0.125000"));
    row("calibration done, Chinese keeps the English offset label", calibrationDoneLine(5, -1.5f).chinese,
        z("编码器标定完成-设备：5 Encoder Electrical Offset：-1.500000"));

    const QByteArray clean(6, 0);
    QByteArray sensors(6, 0);
    sensors[2] = char(0x85);  // bit 7 has no sensor text
    sensors[5] = char(0x7F);
    row("HALL: warn 0x03 in the summary", hall(0, 3, clean, true, 0),
        z("HALL calibration completed-equipment：9 Fault: Warn:3/Non-monotonic"
          "/The maximum value of the lookup table exceeds the limit"));
    row("HALL: summary faults incl. uncalibrated, hex warn", hall(0x8F, 0x2C, clean, true, 0),
        z("HALL calibration completed-equipment：9 Fault:/Maximum/Minimum/Anchor Point"
          "/Dynamic Value/Uncalibrated Warn:2c/The minimum value of the lookup table exceeds the limit"));
    row("HALL: summary, Chinese", hall(0x80, 0x1, clean, false, 0), z("HALL标定完成-设备：9 故障：/未标定 警告：1/非单调"));
    row("HALL: sensor 3", hall(0, 0, sensors, true, 3), z("HALL  serial number:3 Fault:/Maximum/Anchor Point Warn:"));
    row("HALL: sensor 6, every text, Chinese", hall(0, 0, sensors, false, 6),
        z("HALL  编号：6 故障：/极大值/极小值/定位点/动态值 警告：/非单调/查表极大值超限/查表极小值超限"));
    row("HALL: clean sensor 1", hall(0, 0, sensors, true, 1), z("HALL  serial number:1 Fault: Warn:"));

    for (const auto& [code, name] : QVector<QPair<int, const char*>>{
             {0, "ZR00"},  {32, "ZR00"}, {1, "ZR01"},  {17, "ZR01"}, {33, "ZR01"}, {2, "ZR02"},  {34, "ZR02"},
             {35, "ZR03"}, {36, "ZR04"}, {37, "ZR05"}, {38, "ZR06"}, {10, "KT10"}, {81, "VP81"}, {200, "ZR0200"},
             {49, "ZR049"}})  // 49 is not 17's alias
        QTest::addRow("model %d", code) << modelName(uint8_t(code)) << name;
    row("model label", both(modelLabel("VP81")), z("motor type VP81 | 电机类型 VP81"));

    row("detection entry, full 64 bits", detectionEntry(127, 0xFEDCBA9876543210ull), "CAN:127  id:fedcba9876543210");
    row("detection entry, zero uid", detectionEntry(1, 0), "CAN:1  id:0");
    row("detection, full 64 bits", both(detectionText(0xFEDCBA9876543210ull, 127)),
        z("Detected equipment,mcuId:0Xfedcba9876543210 canId:127 | 检测到设备,mcuId:0Xfedcba9876543210 canId:127"));
    row("detection, zero uid", both(detectionText(0, 1)), z("Detected equipment,mcuId:0X0 canId:1 | 检测到设备,mcuId:0X0 canId:1"));

    const QString oneMbit = z("1Mbps | 1Mbps / The module baud rate is 1Mbps | 模块波特率为1Mbps");
    for (int code : {0, 1, 5, 255})
        QTest::addRow("module rate %d", code) << setting(moduleBaudRate(uint8_t(code))) << oneMbit;
    row("module rate 2", setting(moduleBaudRate(2)), z("500kbps | 500kbps / The module baud rate is 500kbps | 模块波特率为500kbps"));
    row("module rate 3", setting(moduleBaudRate(3)), z("250kbps | 250kbps / The module baud rate is 250kbps | 模块波特率为250kbps"));
    row("module rate 4", setting(moduleBaudRate(4)), z("125kbps | 125kbps / The module baud rate is 125kbps | 模块波特率为125kbps"));
    for (int code : {0, 1, 3, 7})
        QTest::addRow("module frame type %d", code) << setting(moduleFrameType(uint8_t(code)))
                                                    << z("Extended Frame | 扩展帧 / Extended Frame | 扩展帧");
    row("module frame type 2", setting(moduleFrameType(2)), z("Standard Frame | 标准帧 / Standard frame | 标准帧"));
    row("connected zh", moduleConnectedText().chinese, z("已连接模块"));
    row("59 zh", moduleLegacyFirmwareText().chinese, z("请升级最新固件以获取修改波特率功能"));
    row("60 en", moduleBaudChangedText().english,
        "The CAN baud rate of the module has been modified successfully. Re-plugging and unplugging will take effect");
    row("62 zh", moduleFrameTypeChangedText().chinese, z("模块帧类型已修改成功，重新插拔生效"));
    row("serial scan zh", configuringSerialText(1152000).chinese, z("配置串口：1152000"));
    row("ready zh", adapterReadyText().chinese, z("CAN模块配置成功！"));

    row("code 16", deviceCode(16), z("CAN_ID set successfully! | 设置CAN_ID成功! + drive"));
    row("code 17", deviceCode(17), z("Failed to set CAN_ID! | 设置CAN_ID失败! + drive"));
    row("code 18", deviceCode(18), z("Set RESET mode successfully! | 设置RESET模式成功! + drive"));
    row("code 19", deviceCode(19), z("Failed to set RESET mode! | 设置RESET模式失败! + drive"));
    row("code 20", deviceCode(20), z("Set MOTOR mode successfully! | 设置MOTOR模式成功! + drive"));
    row("code 21", deviceCode(21), z("Failed to set MOTOR mode! | 设置MOTOR模式失败! + drive"));
    row("code 22", deviceCode(22), z("Set BRAKE mode successfully! | 设置BRAKE模式成功! + drive"));
    row("code 23", deviceCode(23), z("Failed to set BRAKE mode! | 设置BRAKE模式失败! + drive"));
    row("code 24", deviceCode(24), z("High-speed encoder calibration mode is set successfully! | 设置高速编码器标定模式成功! + drive"));
    row("code 25", deviceCode(25), z("Failed to set high-speed encoder calibration mode! | 设置高速编码器标定模式失败! + drive"));
    row("code 26", deviceCode(26), z("Set the mechanical zero position successfully! | 设置机械零位成功! + drive"));
    row("code 27", deviceCode(27), z("Failed to set mechanical zero position! | 设置机械零位失败! + drive"));
    row("code 55", deviceCode(55), z("Set motor type 0 successfully | 设置电机类型0成功"));
    row("code 56", deviceCode(56), z("Set motor type 1 successfully | 设置电机类型1成功"));
    row("28 is not a device code", deviceCode(28), " | ");
    row("15 is not a device code", deviceCode(15), " | ");
}

void TestReactionTexts::texts()
{
    ruletable::compareRow();
}

QTEST_GUILESS_MAIN(TestReactionTexts)
#include "tst_reactions_texts.moc"
