#pragma once
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The port list offers the adapter's USB-serial bridge only: the names of the
// ports whose description contains "CH340" (case-sensitive), in the given order.
QStringList ch340PortNames(const QList<QPair<QString, QString>>& nameAndDescription);

// Where a port of that name lives: a path is taken as it is (a stable link
// included), a bare name is a device under /dev.
QString portLocation(const QString& name);

// Errors of an open port that mean the adapter is gone (QSerialPort's codes).
bool isLinkLoss(int serialPortError);

// An event line of the log view, stamped with the time it happened.
QString timedLogLine(const QString& text, const QDateTime& at);
