#include "params/paramcompare.h"

#include <QHash>
#include <cmath>

#include "params/valuetext.h"
#include "protocol/parametertable.h"
#include "ui/bilingual.h"

namespace {

// The file's number stored as the type, in the table's text; empty when it is none.
QString canonicalNumber(uint32_t type, const QString& text)
{
    double number = 0;
    if (!parseTypedNumber(type, text, number) || std::isnan(number))
        return QString();
    uint8_t raw[8] = {};
    return valueFromNumber(type, number, raw);
}

CompareResult judge(const ParameterTable& table, const ParamFileEntry& drive, const ParamFileEntry& file)
{
    if (drive.type != file.type)
        return CompareResult::TypeDiffers;
    if (drive.value == file.value)
        return CompareResult::Same;
    const uint32_t kind = kindOfCode(drive.code);
    const uint16_t index = indexOfCode(drive.code);
    switch (kind) {
    case WritableString:
        switch (checkTextEdit(table.writableStrings[index].valueText, file.value).verdict) {
        case EditVerdict::Unchanged: return CompareResult::Same;
        case EditVerdict::Changed: return CompareResult::Differs;
        default: return CompareResult::OutOfLimits;
        }
    case WritableParam: {
        const WritableParamEntry& entry = table.writableParams[index];
        const bool editable = index >= table.setupCount && entry.attribute != 0;
        if (!editable)
            return canonicalNumber(entry.valueType, file.value) == drive.value ? CompareResult::Same
                                                                               : CompareResult::ReadOnlyOnDrive;
        switch (checkNumberEdit(entry, file.value).verdict) {
        case EditVerdict::Unchanged: return CompareResult::Same;
        case EditVerdict::Changed: return CompareResult::Differs;
        default: return CompareResult::OutOfLimits;
        }
    }
    case ReadOnlyParam:
        return canonicalNumber(table.readOnlyParams[index].valueType, file.value) == drive.value
            ? CompareResult::Same
            : CompareResult::ReadOnlyOnDrive;
    default:
        return CompareResult::ReadOnlyOnDrive;
    }
}

}  // namespace

QVector<CompareRow> compareWithTable(const ParameterTable& table, const QVector<ParamFileEntry>& file)
{
    QHash<uint16_t, int> fileByCode;
    for (int i = 0; i < file.size(); ++i)
        fileByCode.insert(file[i].code, i);
    QVector<bool> matched(file.size(), false);

    QVector<CompareRow> rows;
    for (const ParamFileEntry& drive : tableEntries(table)) {
        CompareRow row;
        row.code = drive.code;
        row.name = drive.name;
        row.driveValue = drive.value;
        const int at = fileByCode.value(drive.code, -1);
        if (at >= 0 && file[at].name == drive.name) {
            matched[at] = true;
            row.fileValue = file[at].value;
            row.result = judge(table, drive, file[at]);
        } else {
            row.result = CompareResult::OnlyOnDrive;
        }
        rows << row;
    }
    for (int i = 0; i < file.size(); ++i) {
        if (matched[i])
            continue;
        CompareRow row;
        row.code = file[i].code;
        row.name = file[i].name;
        row.fileValue = file[i].value;
        row.result = CompareResult::OnlyInFile;
        rows << row;
    }
    return rows;
}

Bilingual compareResultText(CompareResult result)
{
    switch (result) {
    case CompareResult::Same: return Bilingual("same", "相同");
    case CompareResult::Differs: return Bilingual("differs", "不同");
    case CompareResult::OnlyInFile: return Bilingual("only in the file", "仅文件中有");
    case CompareResult::OnlyOnDrive: return Bilingual("only on the drive", "仅驱动器上有");
    case CompareResult::ReadOnlyOnDrive: return Bilingual("read-only on the drive", "驱动器上只读");
    case CompareResult::OutOfLimits: return Bilingual("out of the drive's limits", "超出驱动器范围");
    case CompareResult::TypeDiffers: return Bilingual("different value type", "值类型不同");
    }
    return Bilingual();
}
