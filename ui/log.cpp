// The log view's clear button and the capture of the log into a file: every
// paragraph goes to the file as it is shown, whatever later leaves the view.

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "ui/logcapture.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

void MainWindow::on_pushButtonclear_clicked()
{
    LogView::of(ui->textEditCfgInfo)->clear();
}

void MainWindow::on_pushButtonSaveLog_clicked()
{
    LogView* view = LogView::of(ui->textEditCfgInfo);
    if (logActive) {
        view->clear();  // what it shows is in the file already
        view->captureFile = nullptr;
        logFile.close();
        logFileName.clear();
        logActive = false;
        ui->pushButtonSaveLog->setText(pick({"Save Log", "保存日志"}));
        return;
    }

    logFileName.clear();
    const QString proposedName = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    const QString chosen = dialogs->askSaveFileName(pick({" Log storage", "日志保存"}), proposedName, QStringLiteral("Log File(*.log)"));
    if (chosen.isEmpty()) {
        showInfo(ui->labelOtaInfo, Tone::notice, pick({"No log file specified！", "未指定日志文件！"}));
        return;
    }

    logFileName = chosen;
    if (!recordfile::openForAppend(logFile, logFileName)) {
        showInfo(ui->labelOtaInfo, Tone::failure, pick({"Invalid log file！", "日志文件无效！"}));
        return;
    }

    logActive = true;
    writeLogPiece();  // a failure ends the capture at once
    if (!logActive)
        return;
    view->captureFile = &logFile;
    view->clear();
    ui->pushButtonSaveLog->setText(pick({"Stop Saving Log", "停止保存日志"}));
}

void MainWindow::writeLogPiece()
{
    if (!logActive || !logFile.isOpen())
        return;
    LogView::of(ui->textEditCfgInfo)->flush();
    const QString shown = ui->textEditCfgInfo->toPlainText();
    if (shown.isEmpty())
        return;
    const recordfile::WriteFailure failure = recordfile::writeWhole(logFile, LogView::plainText(shown).toUtf8());
    if (failure != recordfile::WriteFailure::none)
        endFailedLogCapture(*this, failure);
}

void endFailedLogCapture(MainWindow& w, recordfile::WriteFailure cause)
{
    LogView::of(w.ui->textEditCfgInfo)->captureFile = nullptr;
    w.logFile.close();
    w.logFileName.clear();
    w.logActive = false;
    w.ui->pushButtonSaveLog->setText(w.pick({"Save Log", "保存日志"}));
    showInfo(w.ui->labelOtaInfo, Tone::failure, w.pick(statustexts::logCaptureFailureText(cause)));
}
