// Reactions to the upgrade's notifications: labelOtaInfo, the progress bar
// and the upgrade button.

#include "app/mainwindow.h"
#include "reactions/statustexts.h"
#include "ui_mainwindow.h"

namespace {

struct OtaText {
    int code;
    const char* style;
    const char* english;
    const char* chinese;
};

const OtaText otaTexts[] = {
    {stOtaEnterFailed, "color:red;", "The device failed to enter the upgrade mode！", "设备进入升级模式失败！"},
    {stOtaEntered, "color:green;", "The equipment has entered the upgrade mode！", "设备已进入升级模式！"},
    {stOtaFileEmpty, "color:red;", "There is no data in the bin file！", "bin文件没有数据！"},
    {stOtaFileTooLarge, "color:red;", "The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!"},
    {stOtaTransferStarted, "color:black;", "Transmitting...", "传输中..."},
    {stOtaInfoTimeout, "color:red;", "Failed to send bin file information!", "发送bin文件信息失败！"},
    {stOtaTransferDone, "color:black;", "File transfer complete!", "文件传输完成！"},
    {stOtaSucceeded, "color:green;", "Upgrade successful!", "升级成功！"},
    {stOtaFailed, "color:red;", "Upgrade failed", "升级失败"},
};

}  // namespace

void MainWindow::reactUpgrade(int code)
{
    for (const OtaText& t : otaTexts)
        if (t.code == code) {
            ui->labelOtaInfo->setStyleSheet(t.style);
            ui->labelOtaInfo->setText(tr2(t.english, t.chinese));
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
        ui->labelOtaInfo->setStyleSheet("color:red;");
        ui->labelOtaInfo->setText(statustexts::blockUnansweredText(worker.blockPosition, languageEnglish));
        [[fallthrough]];  // the progress bar keeps its value; a new upgrade may start
    case stOtaSucceeded:
    case stOtaFailed:
        if (code == stOtaSucceeded)
            ui->progressBar->setValue(int(worker.blockCount));
        if (!otaIdle) {
            ui->pushButtonInOtaMode->setText(tr2("Start the upgrade", "启动升级"));
            otaIdle = true;
        }
        break;
    default:
        break;
    }
}
