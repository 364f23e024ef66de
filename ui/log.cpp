// The log view's clear button and the capture of the log into a file.

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_pushButtonclear_clicked()
{
    ui->textEditCfgInfo->clear();
}

void MainWindow::on_pushButtonSaveLog_clicked()
{
    if (logActive) {
        writeLogPiece();
        ui->textEditCfgInfo->clear();
        logFile.close();
        logFileName.clear();
        logActive = false;
        ui->pushButtonSaveLog->setText(tr2("Save Log", "保存日志"));
        return;
    }

    logFileName.clear();
    const QString proposedName = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    const QString chosen = askSaveFileName(tr2(" Log storage", "日志保存"), proposedName, QStringLiteral("Log File(*.log)"));
    if (chosen.isEmpty()) {
        ui->labelOtaInfo->setStyleSheet(QStringLiteral("color:blue;"));
        ui->labelOtaInfo->setText(tr2("No log file specified！", "未指定日志文件！"));
        return;
    }

    logFileName = chosen;
    logFile.setFileName(logFileName);
    if (!logFile.open(QIODevice::ReadWrite | QIODevice::Append)) {
        ui->labelOtaInfo->setStyleSheet(QStringLiteral("color:red;"));
        ui->labelOtaInfo->setText(tr2("Invalid log file！", "日志文件无效！"));
        return;
    }

    logActive = true;
    writeLogPiece();
    ui->textEditCfgInfo->clear();
    ui->pushButtonSaveLog->setText(tr2("Stop Saving Log", "停止保存日志"));
}
