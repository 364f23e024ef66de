#pragma once
// What the oscilloscope tells about its windows: the samples nearest to a
// cursor, the two cursors' readout, and the exported samples of a time range.

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <qcustomplot.h>

#include "ui/bilingual.h"

namespace scopereadout {

// Index of the sample whose key is nearest to `key` (the earlier one on a tie), -1 when the window is empty.
int nearestSample(const QVector<QCPGraphData>& window, double key);

struct CursorChannel {
    QString name;
    uint32_t type = 0;        // the variable's value type
    double atA = 0, atB = 0;  // values of the samples nearest to the cursors
};
// Times of cursors A and B, Δt and 1/Δt, then one line per channel: name, value at A, at B, B − A.
Bilingual cursorReadout(double timeA, double timeB, const QVector<CursorChannel>& channels);

// A value as the decoding produced it, for its channel type: integers in
// full, floating-point values in the shortest text that reads back exactly.
QString exactValue(uint32_t type, double value);

struct ExportChannel {
    QString name;
    uint32_t type = 0;
    QVector<QCPGraphData> window;
};
// CSV of the samples with keys from `from` to `to`: a header with the time in
// seconds and the channel names, then one row per sample.
QByteArray rangeCsv(const QVector<ExportChannel>& channels, double from, double to);

enum class ExportFormat { Unknown, Csv, Png, Pdf };
ExportFormat exportFormatOf(const QString& fileName);

}  // namespace scopereadout
