// Run modes, motion-control set-points, per-mode set-points, jog and the sine test.

#include <QLineEdit>
#include <QPushButton>

#include "controls/commandframes.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

using namespace commandframes;

void MainWindow::pacingSleep(unsigned ms)
{
    clock->sleepFor(ms);
}

void MainWindow::clampMotionField(QLineEdit* field, float low, float high)
{
    const QString replacement = clampedFieldText(field->text(), low, high);
    if (!replacement.isEmpty())
        field->setText(replacement);
}

void MainWindow::finishMotionField(QLineEdit* field, Relaxed<float>& member)
{
    bool ok = false;
    const float value = field->text().toFloat(&ok);
    if (ok && value == value) {
        member = value;
    } else {
        member = 0.0f;
        field->setText(QStringLiteral("0"));
    }
}

void MainWindow::sendSetPoint(const QLineEdit* field, uint16_t index)
{
    const float value = fieldValue(field->text());
    sendToSelectedDrive([index, value](uint8_t id) { return paramWriteFloat(id, index, value); });
}

void MainWindow::sendJog(float speed, bool enable)
{
    const float low = worker.velMin;
    const float high = worker.velMax;
    sendToSelectedDrive([=](uint8_t id) { return jogFrame(id, speed, enable, low, high); });
}

void MainWindow::on_comboBoxRunMode_currentIndexChanged(QString arg1)
{
    const uint16_t code = runModeCode(arg1, worker.motorModelCode);
    worker.runMode = code;
    sendToSelectedDrive([code](uint8_t id) { return paramWriteByte(id, indexRunMode, uint8_t(code)); });
}

void MainWindow::on_lineEditSetPos_textChanged(QString /*arg1*/)
{
    clampMotionField(ui->lineEditSetPos, -positionLimit, positionLimit);
}

void MainWindow::on_lineEditSetPos_editingFinished()
{
    finishMotionField(ui->lineEditSetPos, worker.setPosition);
}

void MainWindow::on_lineEditSetVel_textChanged(QString /*arg1*/)
{
    clampMotionField(ui->lineEditSetVel, worker.velMin, worker.velMax);
}

void MainWindow::on_lineEditSetVel_editingFinished()
{
    finishMotionField(ui->lineEditSetVel, worker.setVelocity);
}

void MainWindow::on_lineEditSetKp_textChanged(QString /*arg1*/)
{
    clampMotionField(ui->lineEditSetKp, 0.0f, worker.kpMax);
}

void MainWindow::on_lineEditSetKp_editingFinished()
{
    finishMotionField(ui->lineEditSetKp, worker.setKp);
}

void MainWindow::on_lineEditSetKd_textChanged(QString /*arg1*/)
{
    clampMotionField(ui->lineEditSetKd, 0.0f, worker.kdMax);
}

void MainWindow::on_lineEditSetKd_editingFinished()
{
    finishMotionField(ui->lineEditSetKd, worker.setKd);
}

void MainWindow::on_lineEditSetTorque_textChanged(QString /*arg1*/)
{
    clampMotionField(ui->lineEditSetTorque, worker.torqueMin, worker.torqueMax);
}

void MainWindow::on_lineEditSetTorque_editingFinished()
{
    finishMotionField(ui->lineEditSetTorque, worker.setTorque);
}

void MainWindow::on_pushButtonCfgSingle_clicked()
{
    runDeviceCommand(cmdMotionOnce, {"\r\nSingle - shot control--device：", "\r\n单次控制--设备："});
}

void MainWindow::on_pushButtonCfgContinous_clicked()
{
    runDeviceCommand(cmdMotionContinuous, {"\r\nContinuous control--device：", "\r\n连续控制--设备："});
}

// ---- per-mode set-points ----------------------------------------------------
void MainWindow::on_pushButton_9_clicked() { sendSetPoint(ui->lineEditSetPos_3, 0x7024); }
void MainWindow::on_pushButton_12_clicked() { sendSetPoint(ui->lineEditSetPos_5, 0x7025); }
void MainWindow::on_pushButton_5_clicked() { sendSetPoint(ui->lineEditSetPos_2, 0x7016); }
void MainWindow::on_pushButton_10_clicked() { sendSetPoint(ui->lineEditSetVel_3, 0x7018); }
void MainWindow::on_pushButton_11_clicked() { sendSetPoint(ui->lineEditSetVel_4, 0x7022); }
void MainWindow::on_pushButton_8_clicked() { sendSetPoint(ui->lineEditSetVel_2, 0x700A); }
void MainWindow::on_pushButton_2_clicked() { sendSetPoint(ui->lineEditSetIq1, 0x7006); }
void MainWindow::on_pushButton_3_clicked() { sendSetPoint(ui->lineEditSetIq2, 0x7006); }
void MainWindow::on_pushButton_7_clicked() { sendSetPoint(ui->lineEditSetId, 0x7007); }
void MainWindow::on_pushButton_13_clicked() { sendSetPoint(ui->lineEdit_spd, 0x7017); }
void MainWindow::on_pushButton_14_clicked() { sendSetPoint(ui->lineEdit_2, 0x7016); }

// ---- jog ----------------------------------------------------------------------
void MainWindow::on_pushButton_6_pressed() { sendJog(1.0f, true); }
void MainWindow::on_pushButton_6_released() { sendJog(0.0f, false); }
void MainWindow::on_pushButton_4_pressed() { sendJog(-1.0f, true); }
void MainWindow::on_pushButton_4_released() { sendJog(0.0f, false); }

// ---- sine test ------------------------------------------------------------------
void MainWindow::on_pushButton_clicked()
{
    sendSetPoint(ui->lineEditSetSineFuzhi, indexSineAmplitude);
    pacingSleep(200);  // the drive takes one write at a time
    sendSetPoint(ui->lineEditSetSineFre, indexSineFrequency);
}

void MainWindow::on_pushButtonSineEn_clicked()
{
    const QString text = ui->pushButtonSineEn->text();
    const bool start = text == QStringLiteral("启动") || text == QLatin1String("Start");
    CanFrame frame = paramWriteByte(worker.targetId, indexSineEnable, start ? 1 : 0);
    worker.sendCanFrame(frame);
    pacingSleep(100);
    ui->pushButtonSineEn->setText(start ? pick({"Stop", "停止"}) : pick({"Start", "启动"}));
}
