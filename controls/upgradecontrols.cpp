// The firmware upgrade's three buttons: choose the image, start or stop the
// upgrade (image check, erase request / finish frame), start the transfer of
// the image checked at the start.

#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>

#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

void MainWindow::on_pushButtonOpenFile_clicked()
{
    firmwarePath = dialogs->askOpenFileName(QStringLiteral("Open Binary File"), QStringLiteral("."),
                                            QStringLiteral("Binary File(*.bin *.hex)"));
    if (!firmwarePath.isEmpty())
        ui->lineEditSelFile->setText(firmwarePath);
}

void MainWindow::on_pushButtonInOtaMode_clicked()
{
    ui->progressBar->setValue(0);
    if (otaIdle)
        startUpgrade();
    else
        stopUpgrade();
    ui->pushButtonStartOta->setEnabled(false);
}

bool MainWindow::startUpgrade()
{
    const int index = ui->comboBoxDev->currentIndex();
    if (index < 0 || index >= worker.deviceCount) {
        // No drive is listed: there is nobody to upgrade.
        showInfo(ui->labelOtaInfo, Tone::failure, pick({"Please detect and select a device first!", "请先检测并选择设备！"}));
        return false;
    }
    // The drive is erased only for an image that can be sent whole.
    firmware::Image image = firmware::readImage(firmwarePath);
    if (image.fault != firmware::ImageFault::none) {
        showInfo(ui->labelOtaInfo, Tone::failure, pick(statustexts::imageFaultText(image)));
        return false;
    }
    snapshotParameterTable();
    worker.firmwareImage = std::move(image.bytes);
    worker.selectedDevice = uint8_t(index);
    worker.targetId = worker.deviceIds[index];
    qDebug() << "File name (QFileInfo):" << QFileInfo(firmwarePath).fileName();
    ui->pushButtonInOtaMode->setText(pick({"Stop the upgrade", "停止升级"}));
    otaIdle = false;
    worker.execute(cmdOtaErase);
    showInfo(ui->labelOtaInfo, Tone::notice, pick({"Erasing flash, please wait...", "擦除flash,请等待..."}));
    return true;
}

void MainWindow::stopUpgrade()
{
    ui->pushButtonInOtaMode->setText(pick({"Erase", "启动升级"}));
    otaIdle = true;
    worker.execute(cmdOtaFinish);
}

void MainWindow::on_pushButtonStartOta_clicked()
{
    // the image read and checked when the upgrade started is the one sent
    ui->progressBar->setValue(0);
    worker.execute(cmdOtaSendInfo);
    ui->pushButtonStartOta->setEnabled(false);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!otaIdle) {
        const QString title = pick({"Firmware upgrade", "固件升级"});
        const QString question = pick({"An upgrade is running. Close the window all the same?", "正在升级固件，仍要关闭窗口吗？"});
        if (!dialogs->askYesNo(title, question, true)) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}
