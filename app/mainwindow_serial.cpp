// The byte path between the serial port and the worker: the port list,
// opening and closing, the receive pump and the writer; a lost adapter closes
// the port and is waited for until it returns.

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QSerialPortInfo>

#include "app/portfilter.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

Q_LOGGING_CATEGORY(lcSerial, "torvane.serial", QtInfoMsg)

void MainWindow::fillPortList()
{
    ui->comboBoxCom->clear();
    QList<QPair<QString, QString>> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.portName(), info.description()});
    ui->comboBoxCom->addItems(ch340PortNames(ports));
}

void MainWindow::on_pushButtonRefreshCom_clicked()
{
    endReconnectWait();
    fillPortList();
}

void MainWindow::resetDeviceListAndLog()
{
    ui->comboBoxDev->clear();
    LogView::of(ui->textEditCfgInfo)->clear();
    readAllActive = false;
    writeAllActive = false;
}

void MainWindow::setSerialRate(int rate)
{
    serialPort->setBaudRate(rate, QSerialPort::AllDirections);
}

void MainWindow::on_pushButtonOpenCom_clicked()
{
    endReconnectWait();
    serialPort->setPortName(ui->comboBoxCom->currentText());
    resetDeviceListAndLog();
    if (portOpen)
        closePort();
    else
        openPort(false);
}

void MainWindow::resetLinkControls()
{
    ui->comboBoxDev->clear();
    worker.deviceCount = 0;
    ui->progressBar->setValue(0);
    ui->pushButtonlanguage->setEnabled(true);
}

void MainWindow::closePort()
{
    resetLinkControls();
    serialPort->close();
    linkWatchTimer.stop();
    ui->pushButtonOpenCom->setText(pick({"Open Serial Port ", "打开串口"}));
    portOpen = false;
    ui->pushButtonInOtaMode->setEnabled(false);
    ui->pushButtonRefreshCom->setEnabled(true);
    ui->comboBoxCom->setEnabled(true);
    showStatus(pick({"Please select the serial port and open it！", "请选择串口并打开！"}));
    worker.execute(cmdIdle);
}

bool MainWindow::openPort(bool quietFailure)
{
    resetLinkControls();
    portOpen = serialPort->open(QIODevice::ReadWrite);
    if (!portOpen) {
        if (!quietFailure)
            showStatus(pick({"Failed to open the serial port or the serial port is occupied！", "无法打开串口或是串口被占用！"}));
        return false;
    }
    openPortName = ui->comboBoxCom->currentText();
    openPortPresent = QFileInfo::exists(portLocation(openPortName));
    linkWatchTimer.start(linkWatchPeriodMs);
    serialPort->setBaudRate(serialRateTable[0], QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);
    serialPort->setReadBufferSize(2048);
    portOpen = true;
    showStatus(pick({"Serial port open：", "成功打开串口："}) + QString::number(serialRateTable[0]) + ",8,1,0");
    ui->pushButtonOpenCom->setText(pick({" Close Serial Port", "关闭串口"}));
    ui->comboBoxCom->setEnabled(false);
    ui->pushButtonRefreshCom->setEnabled(false);
    ui->pushButtonlanguage->setEnabled(false);
    baudProbeIndex = 1;
    worker.execute(cmdProbeAdapter);
    return true;
}

void MainWindow::onSerialError(int error)
{
    if (!portOpen || !isLinkLoss(error) || linkLossQueued)
        return;
    qCInfo(lcSerial) << "link lost:" << serialPort->errorString() << "error" << error;
    // Handled after QSerialPort has finished the read that failed; closing it
    // inside its own error signal would pull the buffer from under that read.
    linkLossQueued = true;
    QMetaObject::invokeMethod(this, [this] { onLinkLost(); }, Qt::QueuedConnection);
}

void MainWindow::onLinkLost()
{
    linkLossQueued = false;
    if (!portOpen)
        return;
    // As the Close click, except that the log view keeps what led up to the loss.
    ui->comboBoxDev->clear();
    readAllActive = false;
    writeAllActive = false;
    closePort();
    const QString text = pick({"Serial port disconnected!", "串口已断开！"});
    logLine(timedLogLine(text, QDateTime::currentDateTime()));
    showStatus(text);
    reconnectName = openPortName;
    linkWatchTimer.start(linkWatchPeriodMs);
}

void MainWindow::checkLink()
{
    if (portOpen) {
        // The port vanished without a word from the driver: the same loss.
        if (openPortPresent && !QFileInfo::exists(portLocation(openPortName)))
            onSerialError(QSerialPort::ResourceError);
        return;
    }
    if (reconnectName.isEmpty() || !QFileInfo::exists(portLocation(reconnectName)))
        return;
    int index = ui->comboBoxCom->findText(reconnectName);
    if (index < 0) {
        ui->comboBoxCom->addItem(reconnectName);
        index = ui->comboBoxCom->count() - 1;
    }
    ui->comboBoxCom->setCurrentIndex(index);
    serialPort->setPortName(reconnectName);
    if (!openPort(true))
        return;  // not ready yet: the next period tries again
    const QString name = reconnectName;
    endReconnectWait();
    showStatus(pick({"Serial port reconnected：", "串口已重新连接："}) + name);
}

void MainWindow::endReconnectWait()
{
    reconnectName.clear();
    if (!portOpen)
        linkWatchTimer.stop();
}

void MainWindow::readFromCom()
{
    for (;;) {
        const QByteArray chunk = serialPort->readAll();
        if (chunk.isNull() || chunk.isEmpty())
            break;
        emit sendRecvData(chunk);
    }
}

void MainWindow::writeToCom(QByteArray data, qint16 length)
{
    serialPort->readAll();
    const qint64 count = qBound<qint64>(0, length, data.size());
    serialPort->write(data.constData(), count);
    serialPort->flush();
    const QByteArray hexText = data.toHex();
    qCDebug(lcSerial) << "TxHex:" << hexText;
    ui->lineEditTxData->setText(QString::fromLatin1(hexText));
    // Hundreds of lines a second (an upgrade's blocks) would cost a repaint each.
    if (txDisplayTimer.isActive()) {
        ui->lineEditTxData->setUpdatesEnabled(false);
        return;
    }
    txDisplayTimer.start(40);
}
