#include "scope/scopereadout.h"

#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "protocol/parametertable.h"
#include "ui/bilingual.h"

namespace scopereadout {

namespace {

QString shortest(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, int(result.ptr - text));
}

QString shortest(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, int(result.ptr - text));
}

}  // namespace

int nearestSample(const QVector<QCPGraphData>& window, double key)
{
    if (window.isEmpty())
        return -1;
    const auto after = std::lower_bound(window.cbegin(), window.cend(), key,
                                        [](const QCPGraphData& p, double k) { return p.key < k; });
    if (after == window.cbegin())
        return 0;
    if (after == window.cend())
        return window.size() - 1;
    const auto before = after - 1;
    return int((key - before->key <= after->key - key ? before : after) - window.cbegin());
}

Bilingual cursorReadout(double timeA, double timeB, const QVector<CursorChannel>& channels)
{
    const double delta = timeB - timeA;
    Bilingual text = Bilingual::same(
        QStringLiteral("A: %1 s   B: %2 s\nΔt: %3 s   1/Δt: %4")
            .arg(QString::number(timeA, 'f', 6), QString::number(timeB, 'f', 6), QString::number(delta, 'f', 6),
                 delta == 0 ? QStringLiteral("-") : QString::number(1 / delta, 'g', 6) + QStringLiteral(" Hz")));
    const Bilingual separator(": ", "：");
    const QString line = QStringLiteral("\n%1%2A %3   B %4   Δ %5");
    for (const CursorChannel& channel : channels) {
        const QString atA = exactValue(channel.type, channel.atA);
        const QString atB = exactValue(channel.type, channel.atB);
        const QString change = exactValue(channel.type, channel.atB - channel.atA);
        text += Bilingual(line.arg(channel.name, separator.english, atA, atB, change),
                          line.arg(channel.name, separator.chinese, atA, atB, change));
    }
    return text;
}

QString exactValue(uint32_t type, double value)
{
    switch (type) {
    case vtFloat:
        return shortest(float(value));
    case vtDouble:
        return shortest(value);
    default:
        // integers, the wide ones already through single precision: whole numbers within 2^64
        if (std::isfinite(value) && std::fabs(value) < 9.2e18 && value == std::trunc(value))
            return QString::number(qint64(value));
        return shortest(value);
    }
}

QByteArray rangeCsv(const QVector<ExportChannel>& channels, double from, double to)
{
    QByteArray out = "time (s)";
    for (const ExportChannel& channel : channels) {
        QString name = channel.name;
        if (name.contains(QLatin1Char(',')) || name.contains(QLatin1Char('"')))
            name = QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        out += ',' + name.toUtf8();
    }
    out += "\r\n";
    if (channels.isEmpty())
        return out;
    // Every channel gets a point per sample, at the sample's time: rows follow the first channel.
    QVector<int> next(channels.size());
    const QVector<QCPGraphData>& keys = channels.first().window;
    for (int c = 0; c < channels.size(); ++c) {
        const QVector<QCPGraphData>& w = channels[c].window;
        next[c] = int(std::lower_bound(w.cbegin(), w.cend(), from,
                                       [](const QCPGraphData& p, double k) { return p.key < k; })
                      - w.cbegin());
    }
    for (int i = next[0]; i < keys.size() && keys[i].key <= to; ++i) {
        const double key = keys[i].key;
        out += QByteArray::number(key, 'f', 6);
        for (int c = 0; c < channels.size(); ++c) {
            const QVector<QCPGraphData>& w = channels[c].window;
            while (next[c] < w.size() && w[next[c]].key < key)
                ++next[c];
            out += ',';
            if (next[c] < w.size() && w[next[c]].key == key)
                out += exactValue(channels[c].type, w[next[c]].value).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}

ExportFormat exportFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (suffix == QLatin1String("png"))
        return ExportFormat::Png;
    if (suffix == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return ExportFormat::Unknown;
}

}  // namespace scopereadout
