#pragma once
// Intel HEX as the boot loader's .hex images use it: records of ':' and hex
// pairs (count, address, type, data, checksum), ended by exactly one end record.

#include <QByteArray>

namespace intelhex {

// 0 when the text is well-formed, else the number (from 1) of the first bad
// line; a missing end record is reported on the line after the last one.
int firstBadLine(const QByteArray& text);

}  // namespace intelhex
