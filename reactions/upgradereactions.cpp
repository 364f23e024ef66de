// Reactions to the upgrade's notifications: labelOtaInfo, the progress bar
// and the upgrade button.

#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {

struct OtaText {
    int code;
    Tone tone;
    Bilingual text;
};

const OtaText otaTexts[] = {
    {stOtaEnterFailed, Tone::failure, {"The device failed to enter the upgrade mode！", "设备进入升级模式失败！"}},
    {stOtaEntered, Tone::success, {"The equipment has entered the upgrade mode！", "设备已进入升级模式！"}},
    {stOtaFileEmpty, Tone::failure, {"There is no data in the bin file！", "bin文件没有数据！"}},
    {stOtaFileTooLarge, Tone::failure, {"The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!"}},
    {stOtaTransferStarted, Tone::neutral, {"Transmitting...", "传输中..."}},
    {stOtaInfoTimeout, Tone::failure, {"Failed to send bin file information!", "发送bin文件信息失败！"}},
    {stOtaTransferDone, Tone::neutral, {"File transfer complete!", "文件传输完成！"}},
    {stOtaSucceeded, Tone::success, {"Upgrade successful!", "升级成功！"}},
    {stOtaFailed, Tone::failure, {"Upgrade failed", "升级失败"}},
};

}  // namespace

void MainWindow::reactUpgrade(int code)
{
    for (const OtaText& t : otaTexts)
        if (t.code == code) {
            showInfo(ui->labelOtaInfo, t.tone, pick(t.text));
        }
    switch (code) {
    case stOtaEntered:
        ui->pushButtonStartOta->setEnabled(true);
        break;
    case stOtaTransferStarted:
        ui->progressBar->setValue(0);
        ui->progressBar->setRange(0, int(worker.blockCount));
        break;
    case stOtaBlockAcked:
    case stOtaBlockResend:
        ui->progressBar->setValue(int(worker.blockPosition));
        break;
    case stOtaBlockUnanswered:
        showInfo(ui->labelOtaInfo, Tone::failure, pick(statustexts::blockUnansweredText(worker.blockPosition)));
        [[fallthrough]];  // the progress bar keeps its value; a new upgrade may start
    case stOtaSucceeded:
    case stOtaFailed:
        if (code == stOtaSucceeded)
            ui->progressBar->setValue(int(worker.blockCount));
        if (!otaIdle) {
            ui->pushButtonInOtaMode->setText(pick({"Start the upgrade", "启动升级"}));
            otaIdle = true;
        }
        break;
    default:
        break;
    }
}
