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
QString hallTexts(const HallText (&table)[N], uint8_t flags, bool summary, bool english)
{
    QString out;
    for (const HallText& t : table) {
        const int bit = summary ? t.summaryBit : t.sensorBit;
        if (bit >= 0 && (flags >> bit) & 1u)
            out += pickText(english, t.english, t.chinese);
    }
    return out;
}

template <size_t N>
QString reportBitLines(const BitText (&table)[N], uint32_t word, bool english)
{
    QString out;
    for (const BitText& t : table)
        if ((word >> t.bit) & 1u)
            out += QStringLiteral("  ") + pickText(english, t.english, t.chinese) + QStringLiteral("\r\n");
    return out;
}

}  // namespace

QString feedbackNumber(float x)
{
    return f4(x);
}

QString modeName(int mode, bool english)
{
    switch (mode) {
    case 1: return pickText(english, "Calibration", "标定");
    case 2: return QStringLiteral("MOTOR");
    case 3: return QStringLiteral("BRAKE");
    default: return QStringLiteral("RESET");
    }
}

QString feedbackFaultTexts(const bool faultFlags[6], bool noFault, bool english)
{
    QString out;
    for (const BitText& t : feedbackFaults)
        if (faultFlags[t.bit])
            out += pickText(english, t.english, t.chinese);
    if (noFault)
        out += pickText(english, "None", "无");
    return out;
}

QString feedbackLine(const MotorFeedback& fb, bool english)
{
    QString line;
    line.reserve(128);
    line += pickText(english, "Motor:", "电机：") + QString::number(fb.sourceId);
    line += pickText(english, " Location:", " 位置：") + f4(fb.position);
    line += pickText(english, " speed:", " 速度：") + f4(fb.velocity);
    line += pickText(english, " Torque:", " 力矩：") + f4(fb.torque);
    line += pickText(english, " model:", " 模式：") + modeName(fb.mode, english);
    line += pickText(english, " temperature ", " 温度 ") + f4(fb.temperature);
    line += pickText(english, " Fault:", " 故障：") + feedbackFaultTexts(fb.faultFlags, fb.noFault, english);
    return line;
}

QString faultReport(uint8_t sourceId, uint32_t faultWord, uint32_t warningWord, bool english)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = pickText(english, "Motor:", "电机：") + QString::number(sourceId);
    text += crlf + pickText(english, "Fault：", "故障：") + crlf;
    text += reportBitLines(reportFaults, faultWord, english);
    text += crlf + pickText(english, "Warning：", "警告：") + crlf;
    text += reportBitLines(reportWarnings, warningWord, english);
    return text;
}

QString calibrationProgressLine(float rotorAngle, float fluxAngle, uint16_t sensorValue, bool english)
{
    return pickText(english, "Encoder calibration - rotor angle：", "编码器标定中-转子角度：") + f4(rotorAngle)
           + pickText(english, " Stator flux angle:", " 定子磁链角度：") + f4(fluxAngle)
           + pickText(english, " Sensor Value:", " 传感器值：") + QString::number(sensorValue);
}

QString calibrationResultLine(uint8_t sourceId, uint16_t serial, uint16_t arrayIndex, int32_t correction,
                              bool english)
{
    return pickText(english, "Encoder Calibration Results - Equipment：", "编码器标定结果-设备：")
           + QString::number(sourceId) + pickText(english, " serial number:", " 编号：") + QString::number(serial)
           + pickText(english, " Array number:", " 数组序号：") + QString::number(arrayIndex)
           + pickText(english, " Correction value:", " 校正值：") + QString::number(correction);
}

QString calibrationDoneLine(uint8_t sourceId, float encoderOffset, bool english)
{
    // The offset's label exists in English only.
    return pickText(english, "Encoder calibration completed - equipment：", "编码器标定完成-设备：")
           + QString::number(sourceId) + QStringLiteral(" Encoder Electrical Offset：") + f6(encoderOffset);
}

QStringList hallLines(uint8_t sourceId, uint8_t faultFlags, uint8_t warnFlags, const uint8_t sensorFlags[6],
                      bool english)
{
    QStringList lines;
    lines << pickText(english, "HALL calibration completed-equipment：", "HALL标定完成-设备：")
                 + QString::number(sourceId) + pickText(english, " Fault:", " 故障：")
                 + hallTexts(hallFaults, faultFlags, true, english) + pickText(english, " Warn:", " 警告：")
                 + QString::number(warnFlags, 16) + hallTexts(hallWarnings, warnFlags, true, english);
    for (int i = 0; i < 6; ++i)
        lines << pickText(english, "HALL  serial number:", "HALL  编号：") + QString::number(i + 1)
                     + pickText(english, " Fault:", " 故障：") + hallTexts(hallFaults, sensorFlags[i], false, english)
                     + pickText(english, " Warn:", " 警告：")
                     + hallTexts(hallWarnings, sensorFlags[i], false, english);
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

QString modelLabel(const QString& name, bool english)
{
    return pickText(english, "motor type ", "电机类型 ") + name;
}

QString detectionEntry(uint8_t canId, uint64_t mcuId)
{
    return QStringLiteral("CAN:") + QString::number(canId) + QStringLiteral("  id:")
           + QString::number(qulonglong(mcuId), 16);
}

QString detectionText(uint64_t mcuId, uint8_t canId, bool english)
{
    return pickText(english, "Detected equipment,mcuId:0X", "检测到设备,mcuId:0X")
           + QString::number(qulonglong(mcuId), 16) + QStringLiteral(" canId:") + QString::number(canId);
}

QString adapterReadyText(bool english)
{
    return pickText(english, "CAN Module configuration successful！", "CAN模块配置成功！");
}

QString adapterFailedText(bool english)
{
    return pickText(english,
                    "The CAN module configuration failed. Please check the CAN device and its configuration！",
                    "CAN模块配置失败，请检查CAN设备及配置！");
}

QString configuringSerialText(int rate, bool english)
{
    return pickText(english, "Configuring a Serial Interface：", "配置串口：") + QString::number(rate);
}

QString moduleConnectedText(bool english) { return pickText(english, "Connected module", "已连接模块"); }

ModuleSetting moduleBaudRate(uint8_t baudCode, bool english)
{
    const char* rate;
    switch (baudCode) {
    case 2: rate = "500kbps"; break;
    case 3: rate = "250kbps"; break;
    case 4: rate = "125kbps"; break;
    default: rate = "1Mbps"; break;
    }
    const QString rateText = QString::fromLatin1(rate);
    return {rateText, pickText(english, "The module baud rate is ", "模块波特率为") + rateText};
}

QString moduleLegacyFirmwareText(bool english)
{
    return pickText(english, "Please upgrade the latest firmware to obtain the function of modifying the baud rate",
                    "请升级最新固件以获取修改波特率功能");
}

QString moduleBaudChangedText(bool english)
{
    return pickText(english,
                    "The CAN baud rate of the module has been modified successfully. Re-plugging and unplugging "
                    "will take effect",
                    "模块CAN波特率已修改成功，重新插拔生效");
}

ModuleSetting moduleFrameType(uint8_t frameCode, bool english)
{
    if (frameCode == 2)
        return {pickText(english, "Standard Frame", "标准帧"), pickText(english, "Standard frame", "标准帧")};
    const QString extended = pickText(english, "Extended Frame", "扩展帧");
    return {extended, extended};
}

QString moduleFrameTypeChangedText(bool english)
{
    return pickText(english,
                    "The module frame type has been modified successfully. Re-plugging and unplugging will take "
                    "effect",
                    "模块帧类型已修改成功，重新插拔生效");
}

QString deviceCodeText(int code, bool english)
{
    switch (code) {
    case stCanIdSetOk: return pickText(english, "CAN_ID set successfully!", "设置CAN_ID成功!");
    case stCanIdSetFailed: return pickText(english, "Failed to set CAN_ID!", "设置CAN_ID失败!");
    case stResetModeOk: return pickText(english, "Set RESET mode successfully!", "设置RESET模式成功!");
    case stResetModeFailed: return pickText(english, "Failed to set RESET mode!", "设置RESET模式失败!");
    case stMotorModeOk: return pickText(english, "Set MOTOR mode successfully!", "设置MOTOR模式成功!");
    case stMotorModeFailed: return pickText(english, "Failed to set MOTOR mode!", "设置MOTOR模式失败!");
    case stBrakeModeOk: return pickText(english, "Set BRAKE mode successfully!", "设置BRAKE模式成功!");
    case stBrakeModeFailed: return pickText(english, "Failed to set BRAKE mode!", "设置BRAKE模式失败!");
    case stEncoderCalModeOk:
        return pickText(english, "High-speed encoder calibration mode is set successfully!",
                        "设置高速编码器标定模式成功!");
    case stEncoderCalModeFailed:
        return pickText(english, "Failed to set high-speed encoder calibration mode!", "设置高速编码器标定模式失败!");
    case stZeroSetOk: return pickText(english, "Set the mechanical zero position successfully!", "设置机械零位成功!");
    case stZeroSetFailed: return pickText(english, "Failed to set mechanical zero position!", "设置机械零位失败!");
    case stMotorTypeSet0: return pickText(english, "Set motor type 0 successfully", "设置电机类型0成功");
    case stMotorTypeSet1: return pickText(english, "Set motor type 1 successfully", "设置电机类型1成功");
    default: return QString();
    }
}

QString calibrationWaitText(bool english)
{
    return pickText(english, "Please wait patiently for the calibration to complete...", "请耐心等待标定完成...");
}

bool deviceCodeTakesSuffix(int code) { return code >= 16 && code <= 27; }

QString imageFaultText(const firmware::Image& image, bool english)
{
    using firmware::ImageFault;
    switch (image.fault) {
    case ImageFault::none: return QString();
    case ImageFault::missing: return pickText(english, "The firmware file does not exist!", "固件文件不存在！");
    case ImageFault::notRegularFile:
        return pickText(english, "The firmware file is not a regular file!", "固件文件不是普通文件！");
    case ImageFault::empty: return pickText(english, "There is no data in the bin file！", "bin文件没有数据！");
    case ImageFault::tooLarge: return pickText(english, "The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!");
    case ImageFault::unreadable:
        return pickText(english, "Cannot read the firmware file: ", "无法读取固件文件：") + image.cause;
    case ImageFault::malformedHex:
        return pickText(english, "Malformed Intel HEX file at line ", "Intel HEX文件格式错误，行 ")
            + QString::number(image.badLine);
    }
    return QString();
}

QString blockUnansweredText(uint32_t block, bool english)
{
    return pickText(english, "Upgrade stopped: no answer to block ", "升级中止：数据块 ") + QString::number(block)
        + pickText(english, "", " 无应答");
}

// ---- recording files ---------------------------------------------------

QString writeFailureCause(recordfile::WriteFailure cause, bool english)
{
    return cause == recordfile::WriteFailure::diskFull ? pickText(english, "disk full", "磁盘已满")
                                                       : pickText(english, "cannot write", "无法写入");
}

QString waveFileFailureText(recordfile::WriteFailure cause, uint32_t linesKept, bool english)
{
    return pickText(english, "Data saving stopped, ", "数据保存已停止，") + writeFailureCause(cause, english)
           + pickText(english, ": %1 lines kept", "：已保存 %1 行").arg(linesKept);
}

QString logCaptureFailureText(recordfile::WriteFailure cause, bool english)
{
    return pickText(english, "Log saving stopped, ", "日志保存已停止，") + writeFailureCause(cause, english)
           + QString::fromUtf8("！");
}

}  // namespace statustexts
