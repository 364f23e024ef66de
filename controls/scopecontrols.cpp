// The oscilloscope tab's controls: the output frequency field, the channel
// configuration, start/stop of the stream, and the plot's freeze, cursors and export.

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "protocol/scopecodec.h"
#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

using namespace scopecodec;

void MainWindow::on_lineEditSetEchoFre_textChanged(QString arg1)
{
    const FrequencyEntry entry = parseFrequency(arg1, worker.scopeFrequencyMin, worker.scopeFrequencyMax);
    worker.scopeFrequency = entry.value;
    if (entry.accepted) {
        showInfo(ui->label_selChInfo, Tone::success,
                 pick({"Output frequency setting：", "输出频率设置："}) + QString::number(entry.value) + QStringLiteral(" HZ"));
        return;
    }
    showInfo(ui->label_selChInfo, Tone::failure,
             pick({"Output frequency setting range：", "输出频率设置范围："}) + QString::number(worker.scopeFrequencyMin)
                 + QStringLiteral("~") + QString::number(worker.scopeFrequencyMax) + QStringLiteral(" HZ"));
    const QSignalBlocker blocker(ui->lineEditSetEchoFre);
    ui->lineEditSetEchoFre->setText(QString::number(entry.value));
}

void MainWindow::on_pushButtonEchoSet_clicked()
{
    ui->pushButtonEchoStart->setEnabled(false);
    ui->pushButtonEchoStart->setText(pick({"Start", "启动"}));

    int selected[8];
    const auto selectors = channelSelectors();
    for (int c = 0; c < 8; ++c) {
        selected[c] = selectors[c]->currentIndex();
        scopeChannelLabels[c] = selectors[c]->currentText();
    }
    const ChannelPlan plan = planChannels(selected, worker);
    std::copy(std::begin(plan.codes), std::end(plan.codes), worker.channelCodes);
    std::copy(std::begin(plan.types), std::end(plan.types), worker.channelTypes);
    std::copy(std::begin(plan.channels), std::end(plan.channels), worker.scopeChannels);
    worker.scopeChannelCount = plan.count;
    worker.sampleBytes = plan.sampleBytes;

    if (worker.waveSaving) {
        worker.closeWaveFile();
        resetWaveSaveButton();
    }

    switch (checkConfiguration(plan, worker.scopeFrequency, worker.scopeFrequencyMax)) {
    case ConfigVerdict::NoChannels:
        showInfo(ui->label_selChInfo, Tone::failure, pick({"No valid channels. Please configure the channels.!", "没有通道有效，请配置通道!"}));
        break;
    case ConfigVerdict::TooFast:
        showInfo(ui->label_selChInfo, Tone::failure, pick({"The set frequency is too high!", "设置频率过高!"}));
        break;
    case ConfigVerdict::Accepted:
        worker.execute(cmdScopeFrequency);
        break;
    }
}

void MainWindow::on_pushButtonEchoStart_clicked()
{
    const QString text = ui->pushButtonEchoStart->text();
    if (text == QString::fromUtf8("启动") || text == QStringLiteral("Start")) {
        ui->pushButtonEchoStart->setText(pick({"stop", "停止"}));
        ui->pushButtonEchoSet->setEnabled(false);
        ui->lineEditSetEchoFre->setEnabled(false);
        for (QComboBox* box : channelSelectors())
            box->setEnabled(false);
        showInfo(ui->label_selChInfo, Tone::success, pick({"Oscilloscope on！", "示波器开启！"}));
        worker.execute(cmdScopeStart);
    } else {
        ui->pushButtonEchoStart->setEnabled(false);
        worker.execute(cmdScopeStop);
    }
}

void MainWindow::on_pushButtonScopeFreeze_toggled(bool checked)
{
    ui->waveShow->setFrozen(checked);
}

void MainWindow::on_pushButtonScopeCursors_toggled(bool checked)
{
    connect(ui->waveShow, &waveDisplay::cursorsChanged, this, &MainWindow::showCursorReadout, Qt::UniqueConnection);
    ui->waveShow->setCursorsEnabled(checked);
    showCursorReadout();
}

void MainWindow::on_pushButtonScopeExport_clicked()
{
    const QString proposed = QStringLiteral("./scope_%1.csv")
                                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hhmmss")));
    const QString name = dialogs->askSaveFileName(pick({"Export oscilloscope", "导出示波器"}), proposed,
                                                  QStringLiteral("CSV (*.csv);;PNG (*.png);;PDF (*.pdf)"));
    if (name.isEmpty())
        return;
    QString cause;
    if (exportScope(name, cause)) {
        showInfo(ui->label_selChInfo, Tone::success, pick({"Exported: ", "已导出："}) + QFileInfo(name).fileName());
    } else {
        showInfo(ui->label_selChInfo, Tone::failure, pick({"Export failed: ", "导出失败："}) + cause);
    }
}
