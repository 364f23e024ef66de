// The plot's batches and the wave data file button.

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

void MainWindow::waveFreShow(QVector<QCPGraphData>* samples)
{
    ui->waveShow->showSamples(samples);
}

void MainWindow::on_pushButtonSaveWave_clicked()
{
    if (worker.waveSaving) {
        worker.closeWaveFile();
        resetWaveSaveButton();
        return;
    }
    const QString proposed = QStringLiteral("./%1%2.txt")
                                 .arg(QStringLiteral("wave_"),
                                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hhmmss")));
    const QString name = dialogs->askSaveFileName(QStringLiteral("Wave file"), proposed, QStringLiteral("TXT Files(*.txt)"));
    if (name.isEmpty()) {
        showInfo(ui->label_selChInfo, Tone::notice, pick({"No data save file specified！", "未指定数据保存文件！"}));
        return;
    }
    if (!worker.openWaveFile(name)) {
        showInfo(ui->label_selChInfo, Tone::failure, pick({"The data save file is invalid！", "数据保存文件无效！"}));
        return;
    }
    ui->pushButtonSaveWave->setText(pick({"Stop saving", "停止保存"}));
}

void MainWindow::resetWaveSaveButton()
{
    ui->pushButtonSaveWave->setText(pick({"Data saving", "数据保存"}));
}

void MainWindow::onWaveFileFailed()
{
    resetWaveSaveButton();
    showWaveFileFailure();
}

void MainWindow::showWaveFileFailure()
{
    showInfo(ui->label_selChInfo, Tone::failure,
             pick(statustexts::waveFileFailureText(worker.waveFailure, worker.waveLinesKept)));
}
