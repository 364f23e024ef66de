#include "ui/statustexts.h"

#include "protocol/codes.h"
#include "ui/bilingual.h"

namespace statustexts {

namespace {

QString f4(float x) { return QString::number(double(x), 'f', 4); }
QString f6(float x) { return QString::number(double(x), 'f', 6); }

struct BitText {
    int bit;
    const char* english;
    const char* chinese;
};

const BitText feedbackFaults[6] = {
    {0, "/low pressure", "/低压"}, {1, "/Overcurrent", "/过流"}, {2, "/Overheating", "/过温"},
    {3, "/Encoder", "/编码器"},    {4, "/Hall", "/霍尔"},        {5, "/Uncalibrated", "/未标定"},
};

const BitText reportFaults[] = {
    {0, "Motor temperature is too high", "电机温度过高"},
    {1, "Driver chip failure", "驱动芯片故障"},
    {2, "Bus voltage is too low", "母线电压过低"},
    {3, "Bus voltage is too high", "母线电压过高"},
    {4, "Phase B current is too large", "B相电流过大"},
    {5, "Phase C current is too large", "C相电流过大"},
    {7, "Encoder not calibrated", "编码器未标定"},
};

const BitText reportWarnings[] = {
    {0, "Motor high temperature warning", "电机高温预警"},
    {1, "HALL uncalibrated", "HALL未标定"},
    {2, "Torque calibration fault", "力矩标定故障"},
    {3, "The zero deviation of torque calibration fitting is too large", "力矩标定拟合零偏过大"},
};

// Hall fault texts: summary bit, sensor bit (-1: summary only).
struct HallText {
    int summaryBit;
    int sensorBit;
    const char* english;
    const char* chinese;
};

const HallText hallFaults[] = {
    {0, 0, "/Maximum", "/极大值"},
    {1, 1, "/Minimum", "/极小值"},
    {2, 2, "/Anchor Point", "/定位点"},
    {3, 3, "/Dynamic Value", "/动态值"},
    {7, -1, "/Uncalibrated", "/未标定"},
};

const HallText hallWarnings[] = {
    {0, 4, "/Non-monotonic", "/非单调"},
    {1, 5, "/The maximum value of the lookup table exceeds the limit", "/查表极大值超限"},
    {2, 6, "/The minimum value of the lookup table exceeds the limit", "/查表极小值超限"},
};

template <size_t N>
Bilingual hallTexts(const HallText (&table)[N], uint8_t flags, bool summary)
{
    Bilingual out;
    for (const HallText& t : table) {
        const int bit = summary ? t.summaryBit : t.sensorBit;
        if (bit >= 0 && (flags >> bit) & 1u)
            out += Bilingual(t.english, t.chinese);
    }
    return out;
}

template <size_t N>
Bilingual reportBitLines(const BitText (&table)[N], uint32_t word)
{
    Bilingual out;
    for (const BitText& t : table)
        if ((word >> t.bit) & 1u)
            out += QStringLiteral("  ") + Bilingual(t.english, t.chinese) + QStringLiteral("\r\n");
    return out;
}

}  // namespace

QString feedbackNumber(float x)
{
    return f4(x);
}

Bilingual modeName(int mode)
{
    switch (mode) {
    case 1: return Bilingual("Calibration", "标定");
    case 2: return Bilingual::same(QStringLiteral("MOTOR"));
    case 3: return Bilingual::same(QStringLiteral("BRAKE"));
    default: return Bilingual::same(QStringLiteral("RESET"));
    }
}

Bilingual feedbackFaultTexts(const bool faultFlags[6], bool noFault)
{
    Bilingual out;
    for (const BitText& t : feedbackFaults)
        if (faultFlags[t.bit])
            out += Bilingual(t.english, t.chinese);
    if (noFault)
        out += Bilingual("None", "无");
    return out;
}

Bilingual feedbackLine(const MotorFeedback& fb)
{
    Bilingual line;
    line += Bilingual("Motor:", "电机：") + QString::number(fb.sourceId);
    line += Bilingual(" Location:", " 位置：") + f4(fb.position);
    line += Bilingual(" speed:", " 速度：") + f4(fb.velocity);
    line += Bilingual(" Torque:", " 力矩：") + f4(fb.torque);
    line += Bilingual(" model:", " 模式：") + modeName(fb.mode);
    line += Bilingual(" temperature ", " 温度 ") + f4(fb.temperature);
    line += Bilingual(" Fault:", " 故障：") + feedbackFaultTexts(fb.faultFlags, fb.noFault);
    return line;
}

Bilingual faultReport(uint8_t sourceId, uint32_t faultWord, uint32_t warningWord)
{
    const QString crlf = QStringLiteral("\r\n");
    Bilingual text = Bilingual("Motor:", "电机：") + QString::number(sourceId);
    text += crlf + Bilingual("Fault：", "故障：") + crlf;
    text += reportBitLines(reportFaults, faultWord);
    text += crlf + Bilingual("Warning：", "警告：") + crlf;
    text += reportBitLines(reportWarnings, warningWord);
    return text;
}

Bilingual calibrationProgressLine(float rotorAngle, float fluxAngle, uint16_t sensorValue)
{
    return Bilingual("Encoder calibration - rotor angle：", "编码器标定中-转子角度：") + f4(rotorAngle)
           + Bilingual(" Stator flux angle:", " 定子磁链角度：") + f4(fluxAngle)
           + Bilingual(" Sensor Value:", " 传感器值：") + QString::number(sensorValue);
}

Bilingual calibrationResultLine(uint8_t sourceId, uint16_t serial, uint16_t arrayIndex, int32_t correction)
{
    return Bilingual("Encoder Calibration Results - Equipment：", "编码器标定结果-设备：")
           + QString::number(sourceId) + Bilingual(" serial number:", " 编号：") + QString::number(serial)
           + Bilingual(" Array number:", " 数组序号：") + QString::number(arrayIndex)
           + Bilingual(" Correction value:", " 校正值：") + QString::number(correction);
}

Bilingual calibrationDoneLine(uint8_t sourceId, float encoderOffset)
{
    // The offset's label exists in English only.
    return Bilingual("Encoder calibration completed - equipment：", "编码器标定完成-设备：")
           + QString::number(sourceId) + QStringLiteral(" Encoder Electrical Offset：") + f6(encoderOffset);
}

QVector<Bilingual> hallLines(uint8_t sourceId, uint8_t faultFlags, uint8_t warnFlags, const uint8_t sensorFlags[6])
{
    QVector<Bilingual> lines;
    lines << Bilingual("HALL calibration completed-equipment：", "HALL标定完成-设备：")
                 + QString::number(sourceId) + Bilingual(" Fault:", " 故障：")
                 + hallTexts(hallFaults, faultFlags, true) + Bilingual(" Warn:", " 警告：")
                 + QString::number(warnFlags, 16) + hallTexts(hallWarnings, warnFlags, true);
    for (int i = 0; i < 6; ++i)
        lines << Bilingual("HALL  serial number:", "HALL  编号：") + QString::number(i + 1)
                     + Bilingual(" Fault:", " 故障：") + hallTexts(hallFaults, sensorFlags[i], false)
                     + Bilingual(" Warn:", " 警告：")
                     + hallTexts(hallWarnings, sensorFlags[i], false);
    return lines;
}

QString modelName(uint8_t c)
{
    if ((c & 0xDF) == 0)
        return QStringLiteral("ZR00");
    if ((c & 0xEF) == 1 || c == 33)
        return QStringLiteral("ZR01");
    switch (c & 0xDF) {
    case 2: return QStringLiteral("ZR02");
    case 3: return QStringLiteral("ZR03");
    case 4: return QStringLiteral("ZR04");
    default: break;
    }
    switch (c) {
    case 37: return QStringLiteral("ZR05");
    case 38: return QStringLiteral("ZR06");
    case 7: return QStringLiteral("ZR07");
    case 8: return QStringLiteral("ZR08");
    case 9: return QStringLiteral("ZR09");
    case 10: return QStringLiteral("KT10");
    case 81: return QStringLiteral("VP81");
    default: return QStringLiteral("ZR0") + QString::number(c);
    }
}

Bilingual modelLabel(const QString& name)
{
    return Bilingual("motor type ", "电机类型 ") + name;
}

QString detectionEntry(uint8_t canId, uint64_t mcuId)
{
    return QStringLiteral("CAN:") + QString::number(canId) + QStringLiteral("  id:")
           + QString::number(qulonglong(mcuId), 16);
}

Bilingual detectionText(uint64_t mcuId, uint8_t canId)
{
    return Bilingual("Detected equipment,mcuId:0X", "检测到设备,mcuId:0X")
           + QString::number(qulonglong(mcuId), 16) + QStringLiteral(" canId:") + QString::number(canId);
}

Bilingual adapterReadyText()
{
    return Bilingual("CAN Module configuration successful！", "CAN模块配置成功！");
}

Bilingual adapterFailedText()
{
    return Bilingual("The CAN module configuration failed. Please check the CAN device and its configuration！",
                     "CAN模块配置失败，请检查CAN设备及配置！");
}

Bilingual configuringSerialText(int rate)
{
    return Bilingual("Configuring a Serial Interface：", "配置串口：") + QString::number(rate);
}

Bilingual moduleConnectedText() { return Bilingual("Connected module", "已连接模块"); }

ModuleSetting moduleBaudRate(uint8_t baudCode)
{
    const char* rate;
    switch (baudCode) {
    case 2: rate = "500kbps"; break;
    case 3: rate = "250kbps"; break;
    case 4: rate = "125kbps"; break;
    default: rate = "1Mbps"; break;
    }
    const QString rateText = QString::fromLatin1(rate);
    return {Bilingual::same(rateText), Bilingual("The module baud rate is ", "模块波特率为") + rateText};
}

Bilingual moduleLegacyFirmwareText()
{
    return Bilingual("Please upgrade the latest firmware to obtain the function of modifying the baud rate",
                     "请升级最新固件以获取修改波特率功能");
}

Bilingual moduleBaudChangedText()
{
    return Bilingual("The CAN baud rate of the module has been modified successfully. Re-plugging and unplugging "
                     "will take effect",
                     "模块CAN波特率已修改成功，重新插拔生效");
}

ModuleSetting moduleFrameType(uint8_t frameCode)
{
    if (frameCode == 2)
        return {Bilingual("Standard Frame", "标准帧"), Bilingual("Standard frame", "标准帧")};
    const Bilingual extended("Extended Frame", "扩展帧");
    return {extended, extended};
}

Bilingual moduleFrameTypeChangedText()
{
    return Bilingual("The module frame type has been modified successfully. Re-plugging and unplugging will take "
                     "effect",
                     "模块帧类型已修改成功，重新插拔生效");
}

Bilingual deviceCodeText(int code)
{
    switch (code) {
    case stCanIdSetOk: return Bilingual("CAN_ID set successfully!", "设置CAN_ID成功!");
    case stCanIdSetFailed: return Bilingual("Failed to set CAN_ID!", "设置CAN_ID失败!");
    case stResetModeOk: return Bilingual("Set RESET mode successfully!", "设置RESET模式成功!");
    case stResetModeFailed: return Bilingual("Failed to set RESET mode!", "设置RESET模式失败!");
    case stMotorModeOk: return Bilingual("Set MOTOR mode successfully!", "设置MOTOR模式成功!");
    case stMotorModeFailed: return Bilingual("Failed to set MOTOR mode!", "设置MOTOR模式失败!");
    case stBrakeModeOk: return Bilingual("Set BRAKE mode successfully!", "设置BRAKE模式成功!");
    case stBrakeModeFailed: return Bilingual("Failed to set BRAKE mode!", "设置BRAKE模式失败!");
    case stEncoderCalModeOk:
        return Bilingual("High-speed encoder calibration mode is set successfully!",
                         "设置高速编码器标定模式成功!");
    case stEncoderCalModeFailed:
        return Bilingual("Failed to set high-speed encoder calibration mode!", "设置高速编码器标定模式失败!");
    case stZeroSetOk: return Bilingual("Set the mechanical zero position successfully!", "设置机械零位成功!");
    case stZeroSetFailed: return Bilingual("Failed to set mechanical zero position!", "设置机械零位失败!");
    case stMotorTypeSet0: return Bilingual("Set motor type 0 successfully", "设置电机类型0成功");
    case stMotorTypeSet1: return Bilingual("Set motor type 1 successfully", "设置电机类型1成功");
    default: return Bilingual();
    }
}

Bilingual calibrationWaitText()
{
    return Bilingual("Please wait patiently for the calibration to complete...", "请耐心等待标定完成...");
}

bool deviceCodeTakesSuffix(int code) { return code >= 16 && code <= 27; }

Bilingual imageFaultText(const firmware::Image& image)
{
    using firmware::ImageFault;
    switch (image.fault) {
    case ImageFault::none: return Bilingual();
    case ImageFault::missing: return Bilingual("The firmware file does not exist!", "固件文件不存在！");
    case ImageFault::notRegularFile:
        return Bilingual("The firmware file is not a regular file!", "固件文件不是普通文件！");
    case ImageFault::empty: return Bilingual("There is no data in the bin file！", "bin文件没有数据！");
    case ImageFault::tooLarge: return Bilingual("The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!");
    case ImageFault::unreadable:
        return Bilingual("Cannot read the firmware file: ", "无法读取固件文件：") + image.cause;
    case ImageFault::malformedHex:
        return Bilingual("Malformed Intel HEX file at line ", "Intel HEX文件格式错误，行 ")
            + QString::number(image.badLine);
    }
    return Bilingual();
}

Bilingual blockUnansweredText(uint32_t block)
{
    return Bilingual("Upgrade stopped: no answer to block ", "升级中止：数据块 ") + QString::number(block)
        + Bilingual("", " 无应答");
}

// ---- recording files ---------------------------------------------------

Bilingual writeFailureCause(recordfile::WriteFailure cause)
{
    return cause == recordfile::WriteFailure::diskFull ? Bilingual("disk full", "磁盘已满")
                                                       : Bilingual("cannot write", "无法写入");
}

Bilingual waveFileFailureText(recordfile::WriteFailure cause, uint32_t linesKept)
{
    return Bilingual("Data saving stopped, ", "数据保存已停止，") + writeFailureCause(cause)
           + Bilingual(": %1 lines kept", "：已保存 %1 行").arg(linesKept);
}

Bilingual logCaptureFailureText(recordfile::WriteFailure cause)
{
    return Bilingual("Log saving stopped, ", "日志保存已停止，") + writeFailureCause(cause)
           + QString::fromUtf8("！");
}

}  // namespace statustexts
