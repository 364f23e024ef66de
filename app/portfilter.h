#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The port list offers the adapter's USB-serial bridge only: the names of the
// ports whose description contains "CH340" (case-sensitive), in the given order.
QStringList ch340PortNames(const QList<QPair<QString, QString>>& nameAndDescription);
