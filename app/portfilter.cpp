#include "app/portfilter.h"

QStringList ch340PortNames(const QList<QPair<QString, QString>>& nameAndDescription)
{
    QStringList names;
    for (const auto& port : nameAndDescription)
        if (port.second.contains(QLatin1String("CH340"), Qt::CaseSensitive))
            names << port.first;
    return names;
}
