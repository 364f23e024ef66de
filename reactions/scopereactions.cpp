// Reactions to the oscilloscope: configuration errors and time-out, the
// accepted frequency and channels, the stopped stream or its missing confirmation.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "params/valuetext.h"
#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

void MainWindow::reactScope(int code)
{
    QLabel* info = ui->label_selChInfo;

    switch (code) {
    case stScopeConfigError:
        showInfo(info, Tone::failure, pick(scopeErrorText(worker.paramErrorFlags, worker.freqReplyWord1, worker.freqReplyWord2)));
        break;
    case stScopeConfigTimeout:
        showInfo(info, Tone::failure, pick({"Oscilloscope configuration timeout!", "示波器配置超时！"}));
        break;
    case stScopeFreqOk:
        showInfo(info, Tone::success, pick({"Frequency configuration successful!", "频率配置成功！"}));
        worker.scopeConfigCursor = 0;
        worker.execute(cmdScopeChannels);
        break;
    case stScopeChannelsOk:
        ui->pushButtonEchoStart->setText(pick({"Start", "启动"}));
        showInfo(info, Tone::success, pick({"The channel configuration was successful！", "通道配置成功！"}));
        ui->waveShow->clearChannels();
        for (int k = 0; k < 8; ++k)
            ui->waveShow->setChannelName(k, scopeChannelLabels[k]);
        ui->waveShow->setActiveChannels(worker.scopeChannels, worker.scopeChannelCount);
        ui->pushButtonEchoStart->setEnabled(true);
        ui->pushButtonSaveWave->setEnabled(true);
        break;
    case stScopeStopped:
        // a wave file that failed during the run stays the news
        if (worker.waveFailure != recordfile::WriteFailure::none) {
            showWaveFileFailure();
        } else {
            showInfo(info, Tone::success, pick({"A winner never stops trying", "成功停止"}));
        }
        ui->pushButtonEchoStart->setText(pick({"Start", "启动"}));
        ui->pushButtonEchoSet->setEnabled(true);
        ui->lineEditSetEchoFre->setEnabled(true);
        for (QComboBox* box : channelSelectors())
            box->setEnabled(true);
        if (worker.droppedSamples > 0) {
            logLine(pick({"Incomplete samples dropped: ", "丢弃不完整样本："}) + QString::number(worker.droppedSamples));
            worker.droppedSamples = 0;
        }
        break;
    case stScopeStopUnconfirmed:
        // The stream may still run: the button keeps offering the stop.
        showInfo(info, Tone::failure, pick({"The oscilloscope did not confirm the stop", "示波器未确认停止"}));
        ui->pushButtonEchoStart->setEnabled(true);
        ui->pushButtonEchoSet->setEnabled(true);
        ui->lineEditSetEchoFre->setEnabled(true);
        for (QComboBox* box : channelSelectors())
            box->setEnabled(true);
        break;
    default:
        break;
    }
}
