// Device management: detection, the addressed drive, CAN id, modes,
// calibration, zero, fault clearing, reporting, multi-device operation and
// the adapter's own settings.

#include <QLineEdit>
#include <QPushButton>

#include "controls/commandframes.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

using namespace commandframes;

bool MainWindow::selectedDriveId(uint8_t& id) const
{
    // By the worker's table, not the list: Detect Devices empties the list
    // first, and the run-mode reset that follows still reaches the drive.
    if (worker.selectedDevice >= worker.deviceCount || worker.selectedDevice >= maxDevices)
        return false;
    id = worker.deviceIds[worker.selectedDevice];
    return true;
}

void MainWindow::sendToSelectedDrive(const std::function<CanFrame(uint8_t target)>& build)
{
    uint8_t id = 0;
    if (!selectedDriveId(id))
        return;
    CanFrame frame = build(id);
    worker.sendCanFrame(frame);
}

void MainWindow::setDeviceControlsEnabled(bool enabled)
{
    for (QPushButton* button : {ui->pushButtonCaliEncoder, ui->pushButtonCfgReset, ui->pushButtonSetCanId,
                                ui->pushButtonZeroMech, ui->pushButtonCfgMotor, ui->pushButtonCfgSingle,
                                ui->pushButtonCfgContinous, ui->pushButtonRefreshTable})
        button->setEnabled(enabled);
}

void MainWindow::runDeviceCommand(unsigned code, const Bilingual& action)
{
    const int index = ui->comboBoxDev->currentIndex();
    if (index < 0 || index >= maxDevices)
        return;  // no drive listed: nothing to address
    worker.selectedDevice = uint8_t(index);
    logLine(pick(action) + ui->comboBoxDev->currentText());
    if (code == cmdSetZero)
        worker.zeroArgument = 1;
    worker.targetId = worker.deviceIds[index];
    worker.execute(code);
}

void MainWindow::on_pushButtonGetDevInfo_clicked()
{
    resetDeviceListAndLog();
    ui->comboBoxRunMode->setCurrentIndex(0);
    worker.deviceCount = 0;
    worker.execute(cmdScanDevices);
}

void MainWindow::on_lineEditSetCanId_textChanged(QString arg1)
{
    const CanIdInput input = parseCanIdInput(arg1);
    worker.newCanId = input.id;
    if (!input.replacement.isEmpty())
        ui->lineEditSetCanId->setText(input.replacement);
}

void MainWindow::on_pushButtonSetCanId_clicked()
{
    const int index = ui->comboBoxDev->currentIndex();
    if (index < 0 || index >= maxDevices)
        return;
    worker.selectedDevice = uint8_t(index);
    logLine(pick({"\r\nSetCAN_ID--device：", "\r\n设置CAN_ID--设备："}) + ui->comboBoxDev->currentText()
            + pick({"  SetID:", "  设置ID:"}) + QString::number(worker.newCanId));
    worker.targetId = worker.deviceIds[index];
    worker.execute(cmdSetCanId);
}

void MainWindow::on_pushButtonCfgReset_clicked()
{
    runDeviceCommand(cmdResetMode, {"\r\nSet the reset mode--device：", "\r\n设置复位模式--设备："});
}

void MainWindow::on_pushButtonCfgMotor_clicked()
{
    runDeviceCommand(cmdMotorMode, {"\r\nSet the motor mode--device：", "\r\n设置motor模式--设备："});
}

void MainWindow::on_pushButtonCfgBrake_clicked()
{
    runDeviceCommand(cmdBrakeMode, {"\r\nSet the brake mode--device：", "\r\n设置brake模式--设备："});
}

void MainWindow::on_pushButtonCaliEncoder_clicked()
{
    runDeviceCommand(cmdEncoderCal, {"\r\nSet the calibration mode for the high-speed encoder--deivce：",
                                     "\r\n设置高速编码器标定模式--设备："});
}

void MainWindow::on_pushButtonZeroMech_clicked()
{
    runDeviceCommand(cmdSetZero, {"\r\nSet the mechanical zero and motor index--device：",
                                  "\r\n设置机械零点和电机index--设备："});
}

void MainWindow::on_pushButtonErrorClear_clicked()
{
    sendToSelectedDrive(clearFaultFrame);
}

void MainWindow::on_pushButton_17_clicked()
{
    uint8_t id = 0;
    if (!selectedDriveId(id))
        return;
    CanFrame frame = reportingFrame(id, worker.motorModelCode, reportIdle);
    worker.sendCanFrame(frame);
    if (reportIdle)
        ui->pushButton_17->setText(pick({"Stop reporting", "停止上报"}));
    else
        ui->pushButton_17->setText(pick({"Start reporting", "启动上报"}));
    reportIdle = !reportIdle;
}

void MainWindow::on_pushButton_time_clicked()
{
    const uint16_t code = reportPeriodCode(ui->lineEdit_timer->text());
    const uint8_t model = worker.motorModelCode;
    sendToSelectedDrive([code, model](uint8_t id) { return reportPeriodFrame(id, model, code); });
    ui->lineEdit_timer->setText(reportPeriodText(code));
}

void MainWindow::on_pushButton_more_clicked()
{
    if (multiDeviceOff) {
        worker.multiDeviceMode = true;
        ui->pushButton_more->setText(pick({"Disable multi-device enablement", "关闭多设备使能"}));
        ui->label_motortype->setText(pick({"Multi-device for upgrade only", "多设备仅升级用"}));
        ui->pushButton_6->setEnabled(false);
        ui->pushButton_4->setEnabled(false);
        multiDeviceOff = false;
    } else {
        worker.multiDeviceMode = false;
        ui->pushButton_more->setText(pick({" Enable multi-device function", "打开多设备使能"}));
        ui->label_motortype->setText(QString());
        ui->pushButton_6->setEnabled(true);
        ui->pushButton_4->setEnabled(true);
        multiDeviceOff = true;
    }
}

void MainWindow::on_comboBoxDev_currentIndexChanged(int index)
{
    // Runs on every clear (index -1) and on the first item added: the device
    // commands are usable exactly while a drive is listed.
    const bool listed = index >= 0 && index < maxDevices;
    if (listed)
        worker.selectedDevice = uint8_t(index);
    resetParameterTable();
    setDeviceControlsEnabled(listed);
    if (!listed && otaIdle)
        ui->pushButtonInOtaMode->setEnabled(false);  // a running upgrade keeps its stop button
    ui->pushButtonReadPara->setEnabled(false);
    ui->pushButtonWritePara->setEnabled(false);
    ui->pushButtonExportExcel->setEnabled(false);
    ui->pushButtonRecoverFac->setEnabled(false);
    ui->labelParaInfo->clear();
}

void MainWindow::on_pushButton_15_clicked()
{
    worker.sendRawLine(moduleCommand(moduleQuery, 0x41));
}

void MainWindow::on_pushButton_16_clicked()
{
    worker.sendRawLine(moduleCommand(moduleSetRate, adapterRateCode(ui->comboBox_usb->currentText())));
}

void MainWindow::on_pushButton_18_clicked()
{
    worker.sendRawLine(moduleCommand(moduleSetFrameType, adapterFrameTypeCode(ui->comboBox_cantype->currentText())));
}

void MainWindow::on_pushButton_20_clicked()
{
    CanFrame frame = privateProtocolFrame();
    worker.sendCanFrame(frame);
}
