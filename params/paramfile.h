#pragma once
// Parameter files: a drive's parameter table as JSON (UTF-8), what the table
// shows of every entry, with the drive it came from and the time. Writing,
// and reading back with a precise account of what makes a file unusable.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <cstdint>

#include "ui/bilingual.h"

struct ParameterTable;

extern const char* const paramFileFormatName;  // "torvane-parameters"
constexpr int paramFileVersion = 1;

struct ParamFileEntry {
    uint16_t code = 0;   // function code: kind in bits 12..15, index in bits 0..11
    QString name;
    QString type;        // "String", or the value type's name ("uint8" ... "double")
    QString attribute;   // "read/write", "read-only", "Setup" or "Set"
    QString max;         // limits as the table shows them; empty where it shows none
    QString min;
    QString value;       // the value as the table shows it
};

struct ParamFile {
    uint8_t canId = 0;
    uint64_t mcuId = 0;
    QString model;
    QDateTime time;
    QVector<ParamFileEntry> entries;
};

enum class ParamFileError {
    None,
    ReadFailed,        // the file could not be opened or read
    NotJson,
    Truncated,         // JSON that ends before its last bracket
    NotParameterFile,  // JSON, but no parameter file's format name
    NewerVersion,
    MissingField,
    WrongFieldType,
    BadFieldValue,
    DuplicateEntry,
};

struct ParamFileProblem {
    ParamFileError error = ParamFileError::None;
    QString field;   // where: "drive.mcuId", "entries[3].value", ...
    QString detail;  // what was found or expected
};

// The entries of the table in row order with the values as last read from
// the drive (edits not yet written are left out); a snapshot is exactly this.
QVector<ParamFileEntry> tableEntries(const ParameterTable& table);
// The attribute word a file gives an entry of the table.
QString attributeWord(const ParameterTable& table, uint32_t kind, uint16_t index);

QByteArray serializeParamFile(const ParamFile& file);
// False with the problem filled in when the bytes are no usable parameter file.
bool parseParamFile(const QByteArray& bytes, ParamFile& file, ParamFileProblem& problem);
bool readParamFile(const QString& path, ParamFile& file, ParamFileProblem& problem);
// Writes through a temporary name that is renamed on success; false with the cause in `error`.
bool writeParamFile(const QString& path, const ParamFile& file, QString& error);

// The message that tells the operator what is wrong with a file.
Bilingual paramFileProblemText(const ParamFileProblem& problem);

// "mcu_" + 16 hex digits + "_" + yyyy_MM_dd_hhmmss_zzz + ".json"
QString snapshotFileName(uint64_t mcuId, const QDateTime& time);
QString mcuIdText(uint64_t mcuId);  // 16 upper-case hex digits
