#include "support/inprocess.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTextEdit>

#include "protocol/adapterline.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

LoopDrive::LoopDrive(MainWindow& w, uint8_t canId, uint64_t mcuId)
    : window(w), table(*this), scope(*this, &table), id(canId), uid(mcuId)
{
    QObject::connect(&w.worker, &otaThread::WriteToSerial, &table, [this](QByteArray line, qint16) {
        const CanFrame frame = adapterline::parseDataLine(line);
        QMetaObject::invokeMethod(&table, [this, frame] {
            ++framesHeard;
            if (!scope.handleFrame(frame))
                table.handleFrame(frame);
        }, Qt::QueuedConnection);
    });
}

void LoopDrive::transmit(const CanFrame& frame)
{
    CanFrame copy = frame;
    window.worker.getSerialData(adapterline::encodeDataLine(copy));
}

void LoopDrive::listAsOnlyDrive()
{
    window.worker.deviceIds[0] = id;
    window.worker.deviceUids[0] = uid;
    window.worker.deviceCount = 1;
    table.framesPerMs = 100000;
    window.ui->comboBoxDev->addItem(QString::number(id));
}

void announceDrive(MainWindow& w, uint8_t canId, uint64_t uid)
{
    otaThread& t = w.worker;
    int slot = -1;
    for (int i = 0; i < t.deviceCount; ++i)
        if (t.deviceUids[i] == uid)
            slot = i;
    if (slot < 0)
        slot = t.deviceCount++;
    t.deviceIds[slot] = canId;
    t.deviceUids[slot] = uid;
    t.deviceListChanged = true;
    t.lastCanId = canId;
    t.lastUid = uid;
    t.raiseState(stDeviceDetected);
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QStringList logParagraphs(const MainWindow& w)
{
    LogView::of(w.ui->textEditCfgInfo)->flush();
    return w.ui->textEditCfgInfo->toPlainText().split(QLatin1Char('\n'));
}

QList<CanFrame> dataFrames(const QSignalSpy& writes)
{
    QList<CanFrame> frames;
    for (const QList<QVariant>& args : writes) {
        const QByteArray line = args.at(0).toByteArray();
        if (adapterline::isDataLine(line))
            frames << adapterline::parseDataLine(line);
    }
    return frames;
}
