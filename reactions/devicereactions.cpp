// Outcomes of the device commands: one log line each, followed by the entry
// of the addressed drive for the acknowledged or timed-out commands.

#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui_mainwindow.h"

void MainWindow::reactDevice(int code)
{
    using namespace statustexts;
    QString line = pick(deviceCodeText(code));
    if (deviceCodeTakesSuffix(code))
        line += ui->comboBoxDev->currentText();
    logLine(line);

    if (code == stEncoderCalModeOk) {
        logLine(pick(calibrationWaitText()));
    } else if (code == stCanIdSetOk) {
        // Offer the next id; the field's own handler keeps it within 1..127.
        worker.newCanId = uint8_t(worker.newCanId + 1);
        ui->lineEditSetCanId->setText(QString::number(worker.newCanId));
    }
}
