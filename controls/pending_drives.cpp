// Temporary definitions until this area is built; each one is removed as it gets its real body.
#include "app/mainwindow.h"
#include <QLineEdit>

void MainWindow::StateUpdate() {}
void MainWindow::reactAdapter(int /*unused*/) {}
void MainWindow::reactMotor(int /*unused*/) {}
void MainWindow::reactDevice(int /*unused*/) {}
void MainWindow::logLine(const QString& /*unused*/) {}
void MainWindow::setDeviceControlsEnabled(bool /*unused*/) {}
void MainWindow::runDeviceCommand(unsigned /*unused*/, const char* /*unused*/, const char* /*unused*/) {}
void MainWindow::sendParamWrite(uint8_t /*unused*/, uint16_t /*unused*/, const uint8_t /*unused*/[4]) {}
void MainWindow::sendParamWriteFloat(uint16_t /*unused*/, float /*unused*/) {}
void MainWindow::clampMotionField(class QLineEdit* /*unused*/, float /*unused*/, float /*unused*/) {}
void MainWindow::finishMotionField(class QLineEdit* /*unused*/, Relaxed<float>& /*unused*/) {}
void MainWindow::on_pushButtonGetDevInfo_clicked() {}
void MainWindow::on_lineEditSetCanId_textChanged(QString /*unused*/) {}
void MainWindow::on_pushButtonSetCanId_clicked() {}
void MainWindow::on_pushButtonCfgReset_clicked() {}
void MainWindow::on_pushButtonCaliEncoder_clicked() {}
void MainWindow::on_pushButtonZeroMech_clicked() {}
void MainWindow::on_lineEditSetPos_textChanged(QString /*unused*/) {}
void MainWindow::on_lineEditSetPos_editingFinished() {}
void MainWindow::on_lineEditSetKp_textChanged(QString /*unused*/) {}
void MainWindow::on_lineEditSetKp_editingFinished() {}
void MainWindow::on_lineEditSetVel_textChanged(QString /*unused*/) {}
void MainWindow::on_lineEditSetVel_editingFinished() {}
void MainWindow::on_lineEditSetKd_textChanged(QString /*unused*/) {}
void MainWindow::on_lineEditSetKd_editingFinished() {}
void MainWindow::on_lineEditSetTorque_textChanged(QString /*unused*/) {}
void MainWindow::on_lineEditSetTorque_editingFinished() {}
void MainWindow::on_pushButtonCfgSingle_clicked() {}
void MainWindow::on_pushButtonCfgContinous_clicked() {}
void MainWindow::on_pushButtonCfgMotor_clicked() {}
void MainWindow::on_pushButtonCfgBrake_clicked() {}
void MainWindow::on_comboBoxDev_currentIndexChanged(int /*unused*/) {}
void MainWindow::on_comboBoxRunMode_currentIndexChanged(QString /*unused*/) {}
void MainWindow::on_pushButtonSineEn_clicked() {}
void MainWindow::on_pushButton_clicked() {}
void MainWindow::on_pushButton_6_pressed() {}
void MainWindow::on_pushButton_6_released() {}
void MainWindow::on_pushButton_4_pressed() {}
void MainWindow::on_pushButton_4_released() {}
void MainWindow::on_pushButton_2_clicked() {}
void MainWindow::on_pushButton_3_clicked() {}
void MainWindow::on_pushButton_7_clicked() {}
void MainWindow::on_pushButton_8_clicked() {}
void MainWindow::on_pushButton_9_clicked() {}
void MainWindow::on_pushButton_10_clicked() {}
void MainWindow::on_pushButton_5_clicked() {}
void MainWindow::on_pushButton_11_clicked() {}
void MainWindow::on_pushButton_12_clicked() {}
void MainWindow::on_pushButton_13_clicked() {}
void MainWindow::on_pushButton_14_clicked() {}
void MainWindow::on_pushButtonErrorClear_clicked() {}
void MainWindow::on_pushButton_15_clicked() {}
void MainWindow::on_pushButton_16_clicked() {}
void MainWindow::on_pushButton_18_clicked() {}
void MainWindow::on_pushButton_20_clicked() {}
void MainWindow::on_pushButton_17_clicked() {}
void MainWindow::on_pushButton_time_clicked() {}
void MainWindow::on_pushButton_more_clicked() {}
