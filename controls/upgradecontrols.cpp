// The firmware upgrade's three buttons: choose the image, start or stop the
// upgrade (erase request / finish frame), read the file and start the transfer.

#include <QComboBox>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_pushButtonOpenFile_clicked()
{
    firmwarePath = askOpenFileName(tr("Open Binary File"), ".", tr("Binary File(*.bin *.hex)"));
    if (!firmwarePath.isEmpty())
        ui->lineEditSelFile->setText(firmwarePath);
}

void MainWindow::on_pushButtonInOtaMode_clicked()
{
    ui->progressBar->setValue(0);
    if (otaIdle) {
        snapshotParameterTable();
        const int index = ui->comboBoxDev->currentIndex();
        if (index < 0 || index >= worker.deviceCount) {
            // No drive is listed: there is nobody to upgrade.
            ui->labelOtaInfo->setStyleSheet("color:red;");
            ui->labelOtaInfo->setText(tr2("Please detect and select a device first!", "请先检测并选择设备！"));
            ui->pushButtonStartOta->setEnabled(false);
            return;
        }
        worker.selectedDevice = uint8_t(index);
        worker.targetId = worker.deviceIds[index];
        qDebug() << "File name (QFileInfo):" << QFileInfo(firmwarePath).fileName();
        ui->pushButtonInOtaMode->setText(tr2("Stop the upgrade", "停止升级"));
        otaIdle = false;
        worker.execute(cmdOtaErase);
        ui->labelOtaInfo->setStyleSheet("color:blue;");
        ui->labelOtaInfo->setText(tr2("Erasing flash, please wait...", "擦除flash,请等待..."));
    } else {
        ui->pushButtonInOtaMode->setText(tr2("Erase", "启动升级"));
        otaIdle = true;
        worker.execute(cmdOtaFinish);
    }
    ui->pushButtonStartOta->setEnabled(false);
}

void MainWindow::on_pushButtonStartOta_clicked()
{
    worker.firmwareImage.clear();
    if (!firmwarePath.isEmpty()) {
        QFile file(firmwarePath);
        if (file.open(QIODevice::ReadOnly)) {
            worker.firmwareImage = file.readAll();
            file.close();
        }
    }
    ui->progressBar->setValue(0);
    worker.execute(cmdOtaSendInfo);
    ui->pushButtonStartOta->setEnabled(false);
}
