#pragma once
// Files that grow while the tool records into them (the wave file, the log
// capture): every piece goes to the operating system at once, past any
// buffer, and a failed write says why.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace recordfile {

enum class WriteFailure { none, diskFull, cannotWrite };

// What the errno of a failed write stands for.
WriteFailure causeOf(int errnoValue);

// Opens `file` for appending (existing content stays in front). Writes to a
// pipe or a device chosen as the file fail instead of blocking the window.
bool openForAppend(QFile& file, const QString& name);

// Writes all of `bytes` or fails with the cause. A piece written only in part
// is cut off again where the file allows it, so the file ends with a whole piece.
WriteFailure writeWhole(QFile& file, const QByteArray& bytes);

}  // namespace recordfile
