#include "app/portfilter.h"

#include <QSerialPort>

QStringList ch340PortNames(const QList<QPair<QString, QString>>& nameAndDescription)
{
    QStringList names;
    for (const auto& port : nameAndDescription)
        if (port.second.contains(QLatin1String("CH340"), Qt::CaseSensitive))
            names << port.first;
    return names;
}

QString portLocation(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) || name.startsWith(QLatin1String("../")))
        return name;
    return QStringLiteral("/dev/") + name;
}

bool isLinkLoss(int serialPortError)
{
    return serialPortError == QSerialPort::ReadError || serialPortError == QSerialPort::ResourceError;
}

QString timedLogLine(const QString& text, const QDateTime& at)
{
    return QStringLiteral("\r\n") + at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char(' ') + text;
}
