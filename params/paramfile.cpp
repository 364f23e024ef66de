#include "params/paramfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <cmath>

#include "params/valuetext.h"
#include "protocol/parametertable.h"
#include "ui/bilingual.h"

const char* const paramFileFormatName = "torvane-parameters";

namespace {

const char* const stringTypeName = "String";

QString driveTypeName(const ParameterTable& table, uint32_t kind, uint16_t index)
{
    return kind < WritableParam ? QString::fromLatin1(stringTypeName) : valueTypeName(table.valueTypeOf(kind, index));
}

// The value type named in a file; -1 for a name no type has. "none" stands for the codes without a type.
int valueTypeNamed(const QString& name)
{
    if (name == QLatin1String(stringTypeName))
        return vtText;
    for (uint32_t type = 0; type <= vtText; ++type)
        if (valueTypeName(type) == name)
            return int(type);
    return -1;
}

// Reads the fields of one JSON object; the first problem met is kept.
class FieldReader {
public:
    explicit FieldReader(ParamFileProblem& problem) : problem(problem) {}

    bool fail(ParamFileError error, const QString& field, const QString& detail = QString())
    {
        problem = ParamFileProblem{error, field, detail};
        return false;
    }
    bool value(const QJsonObject& object, const QString& key, const QString& path, QJsonValue::Type type,
               QJsonValue& out)
    {
        const auto it = object.constFind(key);
        if (it == object.constEnd())
            return fail(ParamFileError::MissingField, path);
        if (it->type() != type)
            return fail(ParamFileError::WrongFieldType, path, typeWord(type));
        out = *it;
        return true;
    }
    bool string(const QJsonObject& object, const QString& key, const QString& path, QString& out)
    {
        QJsonValue v;
        if (!value(object, key, path, QJsonValue::String, v))
            return false;
        out = v.toString();
        return true;
    }
    bool integer(const QJsonObject& object, const QString& key, const QString& path, double low, double high,
                 int& out)
    {
        QJsonValue v;
        if (!value(object, key, path, QJsonValue::Double, v))
            return false;
        const double d = v.toDouble();
        if (d != std::floor(d) || d < low || d > high)
            return fail(ParamFileError::BadFieldValue, path, QString::number(d));
        out = int(d);
        return true;
    }
    static QString typeWord(QJsonValue::Type type)
    {
        switch (type) {
        case QJsonValue::String: return QStringLiteral("string");
        case QJsonValue::Double: return QStringLiteral("number");
        case QJsonValue::Array: return QStringLiteral("array");
        default: return QStringLiteral("object");
        }
    }

private:
    ParamFileProblem& problem;
};

bool parseEntry(FieldReader& reader, const QJsonObject& object, const QString& path, ParamFileEntry& entry)
{
    QString code;
    if (!reader.string(object, QStringLiteral("code"), path + QStringLiteral(".code"), code))
        return false;
    static const QRegularExpression codePattern(QStringLiteral("^0[Xx][0-9A-Fa-f]{4}$"));
    if (!codePattern.match(code).hasMatch())
        return reader.fail(ParamFileError::BadFieldValue, path + QStringLiteral(".code"), code);
    entry.code = uint16_t(code.midRef(2).toUInt(nullptr, 16));
    const uint32_t kind = kindOfCode(entry.code);
    if (kind > ReadOnlyParam || indexOfCode(entry.code) >= kindCapacity(kind))
        return reader.fail(ParamFileError::BadFieldValue, path + QStringLiteral(".code"), code);

    const QString fields[] = {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("attribute"),
                              QStringLiteral("max"), QStringLiteral("min"), QStringLiteral("value")};
    QString* targets[] = {&entry.name, &entry.type, &entry.attribute, &entry.max, &entry.min, &entry.value};
    for (int i = 0; i < 6; ++i)
        if (!reader.string(object, fields[i], path + QLatin1Char('.') + fields[i], *targets[i]))
            return false;

    const int type = valueTypeNamed(entry.type);
    const bool stringKind = kind < WritableParam;
    if (type < 0 || (type == int(vtText)) != stringKind)
        return reader.fail(ParamFileError::BadFieldValue, path + QStringLiteral(".type"), entry.type);
    double number = 0;
    if (type < int(vtText) && (!parseTypedNumber(uint32_t(type), entry.value, number) || std::isnan(number)))
        return reader.fail(ParamFileError::BadFieldValue, path + QStringLiteral(".value"), entry.value);
    return true;
}

}  // namespace

QString attributeWord(const ParameterTable& table, uint32_t kind, uint16_t index)
{
    switch (kind) {
    case WritableString: return QStringLiteral("read/write");
    case WritableParam:
        if (index < table.setupCount)
            return QStringLiteral("Setup");
        return table.writableParams[index].attribute != 0 ? QStringLiteral("read/write") : QStringLiteral("Set");
    default: return QStringLiteral("read-only");
    }
}

QVector<ParamFileEntry> tableEntries(const ParameterTable& table)
{
    QVector<ParamFileEntry> entries;
    for (uint32_t kind = 0; kind < 4; ++kind) {
        for (uint16_t index = 0; index < table.kindCount[kind]; ++index) {
            ParamFileEntry e;
            e.code = functionCodeOf(kind, index);
            e.type = driveTypeName(table, kind, index);
            e.attribute = attributeWord(table, kind, index);
            switch (kind) {
            case WritableString:
                e.name = table.writableStrings[index].name;
                e.value = table.writableStrings[index].valueText;
                break;
            case ReadOnlyString:
                e.name = table.readOnlyStrings[index].name;
                e.value = table.readOnlyStrings[index].valueText;
                break;
            case WritableParam: {
                const WritableParamEntry& p = table.writableParams[index];
                e.name = p.name;
                e.max = limitToText(p.valueType, p.maxValue, p.decimals);
                e.min = limitToText(p.valueType, p.minValue, p.decimals);
                e.value = p.valueText;  // the drive's value as last read or written
                break;
            }
            default:
                e.name = table.readOnlyParams[index].name;
                e.value = valueToText(table.readOnlyParams[index].valueType, table.readOnlyParams[index].value);
                break;
            }
            entries << e;
        }
    }
    return entries;
}

QString mcuIdText(uint64_t mcuId)
{
    return QStringLiteral("%1").arg(qulonglong(mcuId), 16, 16, QLatin1Char('0')).toUpper();
}

// Written by hand so that the keys keep their order and each entry takes one line.
QByteArray serializeParamFile(const ParamFile& file)
{
    const auto text = [](const QString& s) {
        const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);  // the escaped string without the brackets
    };
    const auto field = [&](const char* key, const QByteArray& value) {
        return QByteArray("\"") + key + "\": " + value;
    };
    QByteArray out = "{\n";
    out += "    " + field("format", text(QString::fromLatin1(paramFileFormatName))) + ",\n";
    out += "    " + field("version", QByteArray::number(paramFileVersion)) + ",\n";
    out += "    " + field("time", text(file.time.toUTC().toString(Qt::ISODateWithMs))) + ",\n";
    out += "    " + field("drive", "{" + field("canId", QByteArray::number(file.canId)) + ", "
                          + field("mcuId", text(mcuIdText(file.mcuId))) + ", " + field("model", text(file.model)) + "}")
        + ",\n";
    out += "    \"entries\": [";
    for (int i = 0; i < file.entries.size(); ++i) {
        const ParamFileEntry& e = file.entries[i];
        out += i == 0 ? "\n        {" : ",\n        {";
        out += field("code", text(parameterCodeText(e.code))) + ", " + field("name", text(e.name)) + ", "
            + field("type", text(e.type)) + ", " + field("attribute", text(e.attribute)) + ", "
            + field("max", text(e.max)) + ", " + field("min", text(e.min)) + ", " + field("value", text(e.value)) + "}";
    }
    out += file.entries.isEmpty() ? "]\n}\n" : "\n    ]\n}\n";
    return out;
}

bool parseParamFile(const QByteArray& bytes, ParamFile& file, ParamFileProblem& problem)
{
    problem = ParamFileProblem{};
    FieldReader reader(problem);
    if (bytes.trimmed().isEmpty())
        return reader.fail(ParamFileError::NotJson, QString(), QString());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        // An error at the very end of the bytes means the text stops early.
        const bool atEnd = parseError.offset >= bytes.trimmed().size();
        const bool unterminated = parseError.error == QJsonParseError::UnterminatedObject
            || parseError.error == QJsonParseError::UnterminatedArray
            || parseError.error == QJsonParseError::UnterminatedString;
        if (atEnd || (unterminated && bytes.trimmed().startsWith('{')))
            return reader.fail(ParamFileError::Truncated, QString(), QString::number(bytes.size()));
        return reader.fail(ParamFileError::NotJson, QString::number(parseError.offset), parseError.errorString());
    }
    if (!document.isObject())
        return reader.fail(ParamFileError::NotParameterFile, QString(), QString());
    const QJsonObject root = document.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (format.toString() != QLatin1String(paramFileFormatName))
        return reader.fail(ParamFileError::NotParameterFile, QStringLiteral("format"),
                           format.isString() ? format.toString() : QString());

    ParamFile parsed;
    int version = 0;
    if (!reader.integer(root, QStringLiteral("version"), QStringLiteral("version"), 1, 1e9, version))
        return false;
    if (version > paramFileVersion)
        return reader.fail(ParamFileError::NewerVersion, QStringLiteral("version"), QString::number(version));
    QString time;
    if (!reader.string(root, QStringLiteral("time"), QStringLiteral("time"), time))
        return false;
    parsed.time = QDateTime::fromString(time, Qt::ISODateWithMs);
    if (!parsed.time.isValid())
        return reader.fail(ParamFileError::BadFieldValue, QStringLiteral("time"), time);

    QJsonValue driveValue;
    if (!reader.value(root, QStringLiteral("drive"), QStringLiteral("drive"), QJsonValue::Object, driveValue))
        return false;
    const QJsonObject drive = driveValue.toObject();
    int canId = 0;
    if (!reader.integer(drive, QStringLiteral("canId"), QStringLiteral("drive.canId"), 0, 255, canId))
        return false;
    parsed.canId = uint8_t(canId);
    QString mcuId;
    if (!reader.string(drive, QStringLiteral("mcuId"), QStringLiteral("drive.mcuId"), mcuId))
        return false;
    static const QRegularExpression hexPattern(QStringLiteral("^[0-9A-Fa-f]{1,16}$"));
    if (!hexPattern.match(mcuId).hasMatch())
        return reader.fail(ParamFileError::BadFieldValue, QStringLiteral("drive.mcuId"), mcuId);
    parsed.mcuId = mcuId.toULongLong(nullptr, 16);
    if (!reader.string(drive, QStringLiteral("model"), QStringLiteral("drive.model"), parsed.model))
        return false;

    QJsonValue entriesValue;
    if (!reader.value(root, QStringLiteral("entries"), QStringLiteral("entries"), QJsonValue::Array, entriesValue))
        return false;
    const QJsonArray entries = entriesValue.toArray();
    QSet<uint16_t> codes;
    for (int i = 0; i < entries.size(); ++i) {
        const QString path = QStringLiteral("entries[%1]").arg(i);
        if (!entries[i].isObject())
            return reader.fail(ParamFileError::WrongFieldType, path, FieldReader::typeWord(QJsonValue::Object));
        ParamFileEntry entry;
        if (!parseEntry(reader, entries[i].toObject(), path, entry))
            return false;
        if (codes.contains(entry.code))
            return reader.fail(ParamFileError::DuplicateEntry, path + QStringLiteral(".code"),
                               parameterCodeText(entry.code));
        codes.insert(entry.code);
        parsed.entries << entry;
    }
    file = parsed;
    return true;
}

bool readParamFile(const QString& path, ParamFile& file, ParamFileProblem& problem)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        problem = ParamFileProblem{ParamFileError::ReadFailed, QDir::toNativeSeparators(path), in.errorString()};
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        problem = ParamFileProblem{ParamFileError::ReadFailed, QDir::toNativeSeparators(path), in.errorString()};
        return false;
    }
    return parseParamFile(bytes, file, problem);
}

bool writeParamFile(const QString& path, const ParamFile& file, QString& error)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        error = out.errorString();
        return false;
    }
    const QByteArray bytes = serializeParamFile(file);
    if (out.write(bytes) != bytes.size()) {
        error = out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        error = out.errorString();
        return false;
    }
    return true;
}

Bilingual paramFileProblemText(const ParamFileProblem& p)
{
    const auto quoted = [](const QString& s) {
        return Bilingual(QLatin1Char('"') + s + QLatin1Char('"'), QString::fromUtf8("“") + s + QString::fromUtf8("”"));
    };
    const Bilingual damaged = Bilingual("Damaged parameter file: ", "参数文件已损坏：");
    switch (p.error) {
    case ParamFileError::None:
        return Bilingual();
    case ParamFileError::ReadFailed:
        return Bilingual("Cannot read the parameter file ", "无法读取参数文件") + p.field
            + Bilingual(": ", "：") + p.detail;
    case ParamFileError::NotJson:
        if (p.field.isEmpty())
            return Bilingual("Not a parameter file: the file is empty", "不是参数文件：文件为空");
        return Bilingual(QStringLiteral("Not a parameter file: the content is not JSON (%1 at byte %2)").arg(p.detail, p.field),
                         QString::fromUtf8("不是参数文件：内容不是JSON（第%1字节：%2）").arg(p.field, p.detail));
    case ParamFileError::Truncated:
        return damaged + Bilingual("the file ends early, after ", "文件提前结束，仅有") + p.detail
            + Bilingual(" bytes", "字节");
    case ParamFileError::NotParameterFile:
        if (p.field.isEmpty())
            return Bilingual("Not a parameter file: the JSON holds no object", "不是参数文件：JSON中没有对象");
        return Bilingual("Not a parameter file: the format name is ", "不是参数文件：格式名为")
            + (p.detail.isEmpty() ? Bilingual("missing", "空") : quoted(p.detail))
            + Bilingual(", expected ", "，应为") + quoted(QString::fromLatin1(paramFileFormatName));
    case ParamFileError::NewerVersion:
        return Bilingual("Parameter file version ", "参数文件版本") + p.detail
            + Bilingual(" is newer than this program reads (", "高于本程序可读的版本（")
            + QString::number(paramFileVersion) + Bilingual(")", "）");
    case ParamFileError::MissingField:
        return damaged + Bilingual("the field ", "缺少字段") + quoted(p.field)
            + Bilingual(" is missing", "");
    case ParamFileError::WrongFieldType: {
        static const char* const words[][2] = {
            {"string", "字符串"}, {"number", "数字"}, {"array", "数组"}, {"object", "对象"}};
        Bilingual word = Bilingual::same(p.detail);
        for (const auto& w : words)
            if (p.detail == QLatin1String(w[0]))
                word = Bilingual(w[0], w[1]);
        return damaged + Bilingual("the field ", "字段") + quoted(p.field)
            + Bilingual(" should be of type ", "应为") + word;
    }
    case ParamFileError::BadFieldValue:
        return damaged + Bilingual("the field ", "字段") + quoted(p.field)
            + Bilingual(" has an invalid value ", "的值无效：") + quoted(p.detail);
    case ParamFileError::DuplicateEntry:
        return damaged + Bilingual("function code ", "功能码") + p.detail
            + Bilingual(" appears twice", "出现两次");
    }
    return Bilingual();
}

QString snapshotFileName(uint64_t mcuId, const QDateTime& time)
{
    return QStringLiteral("mcu_") + mcuIdText(mcuId) + QLatin1Char('_')
        + time.toString(QStringLiteral("yyyy_MM_dd_hhmmss_zzz")) + QStringLiteral(".json");
}
