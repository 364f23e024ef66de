#include "controls/commandframes.h"

#include <algorithm>
#include <cmath>

#include "protocol/framecodec.h"

namespace commandframes {

using codec::makeId;

CanFrame paramWrite(uint8_t target, uint16_t index, const uint8_t value[4])
{
    CanFrame frame;
    frame.id = makeId(commSingleParam, target, hostId);
    frame.length = 8;
    codec::writeLe16(frame.data, index);
    for (int i = 0; i < 4; ++i)
        frame.data[4 + i] = value[i];
    return frame;
}

CanFrame paramWriteFloat(uint8_t target, uint16_t index, float value)
{
    uint8_t bytes[4];
    codec::writeLeFloat(bytes, value);
    return paramWrite(target, index, bytes);
}

CanFrame paramWriteByte(uint8_t target, uint16_t index, uint8_t value)
{
    const uint8_t bytes[4] = {value, 0, 0, 0};
    return paramWrite(target, index, bytes);
}

CanFrame reportingFrame(uint8_t target, uint8_t modelCode, bool start)
{
    CanFrame frame;
    frame.id = makeId(modelCode == 2 ? commReportModel2 : commReport, target, hostId);
    frame.length = 7;
    if (modelCode > 31) {
        // These models want the key bytes 01..06 before the switch byte.
        for (int i = 0; i < 6; ++i)
            frame.data[i] = uint8_t(i + 1);
        frame.data[6] = start ? 1 : 0;
    } else {
        frame.data[0] = start ? 1 : 0;
    }
    return frame;
}

uint16_t reportPeriodCode(const QString& text)
{
    const uint16_t v = uint16_t(text.toUInt() & 0xFFFFu);  // 0 when it does not parse
    const uint16_t q = v / 5;
    return q >= 2 ? uint16_t(q - 1) : q;
}

QString reportPeriodText(uint16_t code) { return QString::number(unsigned(code) * 5 + 5); }

uint16_t reportPeriodIndex(uint8_t modelCode)
{
    return modelCode == 2 ? indexReportPeriodModel2 : indexReportPeriod;
}

CanFrame reportPeriodFrame(uint8_t target, uint8_t modelCode, uint16_t code)
{
    const uint8_t bytes[4] = {uint8_t(code & 0xFF), uint8_t(code >> 8), 0, 0};
    return paramWrite(target, reportPeriodIndex(modelCode), bytes);
}

uint16_t jogSpeedWord(float speed, float velMin, float velMax)
{
    if (!(velMax > velMin))
        return 0;  // no usable range reported: never a full-speed word
    const uint32_t word = codec::floatToUint(speed, velMin, velMax, 16);
    return word > 0xFFFFu ? uint16_t(0xFFFF) : uint16_t(word);
}

CanFrame jogFrame(uint8_t target, float speed, bool enable, float velMin, float velMax)
{
    const uint16_t word = jogSpeedWord(speed, velMin, velMax);
    const uint8_t bytes[4] = {7, uint8_t(enable ? 1 : 0), uint8_t(word >> 8), uint8_t(word & 0xFF)};
    return paramWrite(target, indexRunMode, bytes);
}

uint16_t runModeCode(const QString& text, uint8_t modelCode)
{
    if (text == QStringLiteral("运控模式") || text == QLatin1String("MIT"))
        return 0;
    if (text == QStringLiteral("插补位置模式") || text == QLatin1String("PP"))
        return 1;
    if (text == QStringLiteral("速度模式") || text == QLatin1String("Velocity"))
        return 2;
    if (text == QStringLiteral("电流模式") || text == QLatin1String("Current"))
        return 3;
    if (text == QStringLiteral("位置模式") || text == QLatin1String("CSP"))
        return modelCode == 1 ? 1 : 5;
    return 0;
}

uint8_t adapterRateCode(const QString& text)
{
    if (text == QLatin1String("1Mbps"))
        return 1;
    if (text == QLatin1String("500kbps"))
        return 2;
    if (text == QLatin1String("250kbps"))
        return 3;
    if (text == QLatin1String("125kbps"))
        return 4;
    return 0;
}

uint8_t adapterFrameTypeCode(const QString& text)
{
    if (text == QStringLiteral("标准帧") || text == QLatin1String("Standard Frame"))
        return 2;
    return 1;
}

CanFrame moduleCommand(uint8_t command, uint8_t code)
{
    CanFrame frame;
    frame.length = 3;
    frame.data[0] = command;
    frame.data[1] = code;
    frame.data[2] = 0;
    return frame;
}

CanFrame clearFaultFrame(uint8_t target)
{
    CanFrame frame;
    frame.id = makeId(commResetMode, target, hostId);
    frame.length = 8;
    frame.data[0] = 1;
    return frame;
}

CanFrame privateProtocolFrame()
{
    CanFrame frame;
    frame.id = 0xFFF;
    frame.length = 8;
    for (int i = 0; i < 6; ++i)
        frame.data[i] = uint8_t(i + 1);
    return frame;
}

float fieldValue(const QString& text)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    return ok && !std::isnan(value) ? value : 0.0f;
}

QString clampedFieldText(const QString& text, float low, float high)
{
    const float value = fieldValue(text);
    if (value > high)
        return QString::number(double(high), 'f', 2);
    if (value < low)
        return QString::number(double(low), 'f', 2);
    return QString();
}

CanIdInput parseCanIdInput(const QString& text)
{
    bool ok = false;
    const unsigned value = text.toUInt(&ok);
    if (ok && value >= 1 && value <= 127)
        return {uint8_t(value), QString()};
    // A run of digits too long for the parser is still a number above 127.
    const bool allDigits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    const bool above = ok ? value > 127 : allDigits;
    if (above)
        return {127, QStringLiteral("127")};
    return {1, QStringLiteral("1")};
}

}  // namespace commandframes
