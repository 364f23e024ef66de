#pragma once
// Value types as texts: names, limits, raw values, the conversion of a typed
// number into raw bytes, the checks of an edited value cell, and the texts of
// the transfer's error words.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

#include "ui/bilingual.h"

struct WritableParamEntry;

QString valueTypeName(uint32_t type);
QString limitToText(uint32_t type, float limit, int decimals);
QString valueToText(uint32_t type, const uint8_t raw[8]);
// Stores the number as the type into raw (8 bytes) and returns the text of
// what was stored.
QString valueFromNumber(uint32_t type, double number, uint8_t raw[8]);

// "0X" and four lower-case hex digits.
QString parameterCodeText(uint16_t code);

// Parses an edited cell by the entry's value type; false when it is no number of that type.
bool parseTypedNumber(uint32_t type, const QString& text, double& number);

enum class EditVerdict {
    Invalid,     // not a number of the type / not ASCII
    OutOfRange,  // outside minValue..maxValue
    Unchanged,   // the value as it stands
    Changed,     // a new value to write
};

struct NumberEdit {
    EditVerdict verdict = EditVerdict::Invalid;
    QString canonical;          // the text of the stored value (Unchanged, Changed)
    uint8_t raw[8] = {};        // the value to write (Changed)
};
NumberEdit checkNumberEdit(const WritableParamEntry& entry, const QString& text);

struct TextEdit {
    EditVerdict verdict = EditVerdict::Invalid;
    uint8_t pendingText[17] = {};  // up to 16 bytes and a zero (Changed)
};
TextEdit checkTextEdit(const QString& current, const QString& text);

// "Error updating parameter table code:0X" + word + bit texts (English in both
// languages), then the entry left incomplete, if any.
Bilingual downloadErrorText(uint32_t flags, uint16_t incompleteCode);
Bilingual readErrorText(uint16_t code, uint32_t flags);
Bilingual writeErrorText(uint16_t code, uint32_t flags);
// The oscilloscope's error word; with bit 1 the drive's range (its reply words 2 and 1) follows.
Bilingual scopeErrorText(uint32_t flags, uint16_t rangeHigh, uint16_t rangeLow);

// The seven column titles of the parameter table.
QVector<Bilingual> parameterHeaders();
// Pixel widths of the seven columns.
extern const int parameterColumnWidths[7];
