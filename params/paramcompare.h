#pragma once
// A parameter file held against the drive's table: one row per entry with
// what the drive holds, what the file holds, and whether the file's value
// can be written.

#include <QString>
#include <QVector>
#include <cstdint>

#include "params/paramfile.h"

struct ParameterTable;

enum class CompareResult {
    Same,
    Differs,          // writable, and the file's value passes the entry's checks
    OnlyInFile,
    OnlyOnDrive,
    ReadOnlyOnDrive,  // the values differ but the drive's entry cannot be edited
    OutOfLimits,      // outside the drive's limits (or a text the drive cannot hold)
    TypeDiffers,
};

struct CompareRow {
    uint16_t code = 0;
    QString name;
    QString driveValue;  // empty when the drive has no such entry
    QString fileValue;   // empty when the file has no such entry
    CompareResult result = CompareResult::Same;
    bool writable() const { return result == CompareResult::Differs; }
};

// Entries are matched by function code and name; the drive's entries come
// first in row order, then those found only in the file, in file order.
// Drive values are those last read from the drive.
QVector<CompareRow> compareWithTable(const ParameterTable& table, const QVector<ParamFileEntry>& file);

Bilingual compareResultText(CompareResult result);
