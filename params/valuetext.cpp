#include "params/valuetext.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "protocol/parametertable.h"
#include "ui/bilingual.h"

namespace {

template <typename T>
T readRaw(const uint8_t raw[8])
{
    T v;
    std::memcpy(&v, raw, sizeof v);  // the host is little-endian, as the drive's bytes
    return v;
}

template <typename T>
void writeRaw(uint8_t raw[8], T v)
{
    std::memset(raw, 0, 8);
    std::memcpy(raw, &v, sizeof v);
}

// Truncation toward zero that stays defined for any double: out-of-range
// numbers saturate, NaN gives 0.
int64_t truncate64(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (x <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(x);
}

int32_t truncate32(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(x);
}

struct BitText {
    uint32_t bit;
    const char* english;
    const char* chinese;
};

const BitText downloadBits[] = {
    {0x001, "/Illegal type", nullptr},
    {0x002, "/Type missing frame", nullptr},
    {0x004, "/Number missing frame", nullptr},
    {0x008, "/Discontinuous numbering", nullptr},
    {0x010, "/Exceeding storage limits", nullptr},
    {0x020, "/Missing frames", nullptr},
    {0x040, "/Type and data frame do not match", nullptr},
    {0x080, "/Wrong number of writable strings", nullptr},
    {0x100, "/Wrong number of read-only strings", nullptr},
    {0x200, "/Wrong number of writable parameters", nullptr},
    {0x400, "/Wrong number of read-only parameters", nullptr},
};

const BitText readBits[] = {
    {0x01, "/No function code", "/无此功能码"},
    {0x02, "/Type Error", "/类型错误"},
    {0x04, "/Missing frames", "/漏帧"},
    {0x10, "/Number mismatch", "/编号不匹配"},
};

const BitText scopeBits[] = {
    {0x01, "/Unknown command", "/未知命令"},
    {0x02, "/Frequency configuration out of range", "/频率配置超出范围"},
    {0x04, "/unknown variables", "/未知变量"},
    {0x08, "/Data exceeds the frequency that can be output", "/数据超出频率可输出数量"},
    {0x10, "/Frame Error", "/错帧"},
    {0x20, "/Startup Error", "/启动错误"},
    {0x40, "/Type Error", "/类型错误"},
};

const BitText writeBits[] = {
    {0x0002, "/No such parameter", "/无此参数"},
    {0x0004, "/Unmodifiable", "/不可修改"},
    {0x0008, "/Type mismatch", "/类型不匹配"},
    {0x0010, "/Missing frames", "/漏帧"},
    {0x0020, "/Frame Error", "/错帧"},
    {0x0040, "/Setting data out of range", "/设置数据超范围"},
    {0x0080, "/Cannot be modified in the current mode", "/当前模式下不可修改"},
    {0x0100, "/Cannot save in current mode", "/当前模式下不可保存"},
    {0x0200, "/Save failed", "/保存失败"},
    {0x0400, "/Command Error", "/命令错误"},
    {0x8000, "/Command mismatch", "/命令不匹配"},
    {0x4000, "/Parameter mismatch", "/参数不匹配"},
};

template <size_t N>
Bilingual bitTexts(uint32_t flags, const BitText (&table)[N])
{
    Bilingual out;
    for (const BitText& b : table)
        if (flags & b.bit)
            out += Bilingual(b.english, b.chinese ? b.chinese : b.english);
    return out;
}

}  // namespace

QString valueTypeName(uint32_t type)
{
    static const char* const names[] = {"uint8", "int8", "uint16", "int16", "uint32",
                                        "int32", "float", "uint64", "int64", "double"};
    return QString::fromLatin1(type < 10 ? names[type] : "none");
}

QString limitToText(uint32_t type, float limit, int decimals)
{
    switch (type) {
    case vtFloat:
    case vtDouble:
        return QString::number(double(limit), 'f', decimals);
    case vtUint8: case vtInt8: case vtUint16: case vtInt16:
    case vtUint32: case vtInt32: case vtUint64: case vtInt64:
        return QString::number(double(limit), 'f', 0);
    default:
        return QStringLiteral("none");
    }
}

QString valueToText(uint32_t type, const uint8_t raw[8])
{
    switch (type) {
    case vtUint8: return QString::number(readRaw<uint8_t>(raw));
    case vtInt8: return QString::number(readRaw<int8_t>(raw));
    case vtUint16: return QString::number(readRaw<uint16_t>(raw));
    case vtInt16: return QString::number(readRaw<int16_t>(raw));
    case vtUint32: return QString::number(readRaw<uint32_t>(raw));
    case vtInt32: return QString::number(readRaw<int32_t>(raw));
    case vtFloat: return QString::number(double(readRaw<float>(raw)), 'f', 6);
    case vtUint64: return QString::number(qulonglong(readRaw<uint64_t>(raw)));
    case vtInt64: return QString::number(qlonglong(readRaw<int64_t>(raw)));
    case vtDouble: return QString::number(readRaw<double>(raw), 'f', 12);
    default: return QStringLiteral("none");
    }
}

QString valueFromNumber(uint32_t type, double number, uint8_t raw[8])
{
    switch (type) {
    case vtUint8: writeRaw(raw, uint8_t(truncate32(number))); break;
    case vtInt8: writeRaw(raw, int8_t(truncate32(number))); break;
    case vtUint16: writeRaw(raw, uint16_t(truncate32(number))); break;
    case vtInt16: writeRaw(raw, int16_t(truncate32(number))); break;
    case vtInt32: writeRaw(raw, truncate32(number)); break;
    case vtUint32: writeRaw(raw, uint32_t(uint64_t(truncate64(number)))); break;
    case vtInt64: writeRaw(raw, truncate64(number)); break;
    case vtUint64: {
        constexpr double topBit = 9223372036854775808.0;
        const uint64_t v = number >= topBit ? (uint64_t(truncate64(number - topBit)) | (uint64_t(1) << 63))
                                            : uint64_t(truncate64(number));
        writeRaw(raw, v);
        break;
    }
    case vtFloat: writeRaw(raw, float(number)); break;
    case vtDouble: writeRaw(raw, number); break;
    default:
        std::memset(raw, 0, 8);
        return QStringLiteral("0");
    }
    return valueToText(type, raw);
}

QString parameterCodeText(uint16_t code)
{
    return QStringLiteral("0X") + QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0'));
}

bool parseTypedNumber(uint32_t type, const QString& text, double& number)
{
    bool ok = false;
    switch (type) {
    case vtInt8: case vtInt16: case vtInt32: case vtInt64:
        number = double(text.toLongLong(&ok, 10));
        break;
    case vtUint8: case vtUint16: case vtUint32: case vtUint64:
        number = double(text.toULongLong(&ok, 10));
        break;
    case vtFloat: case vtDouble:
        number = text.toDouble(&ok);
        break;
    default:
        return false;
    }
    return ok;
}

NumberEdit checkNumberEdit(const WritableParamEntry& entry, const QString& text)
{
    NumberEdit edit;
    double number = 0;
    if (!parseTypedNumber(entry.valueType, text, number) || std::isnan(number))
        return edit;
    if (number > double(entry.maxValue) || number < double(entry.minValue)) {
        edit.verdict = EditVerdict::OutOfRange;
        return edit;
    }
    edit.canonical = valueFromNumber(entry.valueType, number, edit.raw);
    edit.verdict = edit.canonical == entry.valueText ? EditVerdict::Unchanged : EditVerdict::Changed;
    return edit;
}

TextEdit checkTextEdit(const QString& current, const QString& text)
{
    TextEdit edit;
    const QByteArray bytes = text.toUtf8();
    for (char c : bytes)
        if (uint8_t(c) >= 0x80)
            return edit;
    if (text == current) {
        edit.verdict = EditVerdict::Unchanged;
        return edit;
    }
    edit.verdict = EditVerdict::Changed;
    std::memcpy(edit.pendingText, bytes.constData(), size_t(qMin(bytes.size(), 16)));
    return edit;
}

Bilingual downloadErrorText(uint32_t flags, uint16_t incompleteCode)
{
    Bilingual text = QStringLiteral("Error updating parameter table code:0X") + QString::number(flags, 16)
        + bitTexts(flags, downloadBits);
    if (flags & deIncompleteEntry) {
        const QString code = parameterCodeText(incompleteCode);
        text += Bilingual(QStringLiteral("/Incomplete entry ") + code,
                          QString::fromUtf8("/参数 ") + code + QString::fromUtf8(" 不完整"));
    }
    return text;
}

Bilingual readErrorText(uint16_t code, uint32_t flags)
{
    return Bilingual("Read parameter ", "读取参数") + parameterCodeText(code)
        + Bilingual("An error occurred:", "发生错误:") + bitTexts(flags, readBits);
}

Bilingual writeErrorText(uint16_t code, uint32_t flags)
{
    return Bilingual("Write parameter ", "写参数") + parameterCodeText(code)
        + Bilingual("An error occurred:", "发生错误:") + bitTexts(flags, writeBits);
}

Bilingual scopeErrorText(uint32_t flags, uint16_t rangeHigh, uint16_t rangeLow)
{
    Bilingual text = Bilingual("The oscilloscope configuration sent an error:", "示波器配置发送错误:")
        + QString::number(flags, 16) + bitTexts(flags, scopeBits);
    if (flags & 0x02)
        text += QString::number(rangeLow) + QStringLiteral("~") + QString::number(rangeHigh);
    return text;
}

const int parameterColumnWidths[7] = {100, 120, 60, 60, 80, 80, 10};

QVector<Bilingual> parameterHeaders()
{
    return {Bilingual("FunctionCode", "功能码"), Bilingual("Name", "名称"),
            Bilingual("ParameterType", "参数类型"), Bilingual("Attribute", "属性"),
            Bilingual("MaxValue", "最大值"), Bilingual("MinValue", "最小值"),
            Bilingual("CurrentValue", "当前值")};
}
