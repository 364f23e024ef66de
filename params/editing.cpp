// Editing the parameter table: the checks of an edited value cell, and the
// buttons that download the table, read every value, write the marked
// entries back and restore the factory settings.

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <cstring>

#include "params/valuetext.h"
#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {
constexpr int valueColumn = 6;
}

void MainWindow::on_tableWidgetPara_cellChanged(int row, int column)
{
    if (column != valueColumn)
        return;
    const QSignalBlocker blocker(ui->tableWidgetPara);
    qDebug() << "change row:" << QString::number(row, 8) << " column:" << QString::number(column, 8);
    uint32_t kind = 0;
    uint16_t index = 0;
    if (!worker.entryAtRow(row, kind, index))
        return;
    if (kind == WritableString)
        checkTextCell(row, index);
    else if (kind == WritableParam)
        checkNumberCell(row, index);
    applyParaFilter();
}

void MainWindow::checkTextCell(int row, uint16_t index)
{
    QTableWidgetItem* item = ui->tableWidgetPara->item(row, valueColumn);
    if (!item)
        return;
    WritableStringEntry& entry = worker.writableStrings[index];
    const QString code = parameterCodeText(index);
    const QString text = item->text();
    const TextEdit edit = checkTextEdit(entry.valueText, text);
    if (edit.verdict == EditVerdict::Invalid) {
        showInfo(ui->labelParaInfo, Tone::failure,
                 pick({"modify writable characters ", "修改可写字符"}) + code
                     + pick({":The input contains non-ASCII characters!", ":输入字符含有非ASCII字符!"}));
        item->setText(entry.valueText);
        item->setForeground(QBrush(Qt::black));
        entry.modified = 0;
        return;
    }
    showInfo(ui->labelParaInfo, Tone::success, pick({"modify writable characters ", "修改可写字符"}) + code + QStringLiteral(":") + text);
    if (edit.verdict == EditVerdict::Changed) {
        item->setForeground(QBrush(Qt::red));
        std::memcpy(entry.pendingText, edit.pendingText, sizeof entry.pendingText);
        entry.modified = 1;
        ui->pushButtonWritePara->setEnabled(true);
    }
}

void MainWindow::checkNumberCell(int row, uint16_t index)
{
    QTableWidgetItem* item = ui->tableWidgetPara->item(row, valueColumn);
    if (!item)
        return;
    WritableParamEntry& entry = worker.writableParams[index];
    const QString code = parameterCodeText(uint16_t(0x2000 + index));
    const QString prefix = pick({"modify writable parameters ", "修改可写参数"}) + code;
    const NumberEdit edit = checkNumberEdit(entry, item->text());
    const auto revert = [&] {
        item->setText(entry.valueText);
        item->setForeground(QBrush(Qt::black));
        entry.modified = 0;
    };
    switch (edit.verdict) {
    case EditVerdict::Invalid:
        showInfo(ui->labelParaInfo, Tone::failure, prefix + pick({":The input data is incorrect!", ":输入数据有误!"}));
        revert();
        return;
    case EditVerdict::OutOfRange:
        showInfo(ui->labelParaInfo, Tone::failure, prefix + pick({":The input data is out of range!", ":输入数据超出范围!"}));
        revert();
        return;
    case EditVerdict::Unchanged:
        revert();
        return;
    case EditVerdict::Changed:
        showInfo(ui->labelParaInfo, Tone::success, prefix + QStringLiteral(":") + edit.canonical);
        item->setText(edit.canonical);
        item->setForeground(QBrush(Qt::red));
        std::memcpy(entry.pendingValue, edit.raw, sizeof entry.pendingValue);
        entry.modified = 1;
        ui->pushButtonWritePara->setEnabled(true);
        return;
    }
}

bool MainWindow::selectDriveForTable()
{
    const int index = ui->comboBoxDev->currentIndex();
    if (index < 0 || index >= maxDevices)
        return false;  // no drive listed: there is nobody to ask
    worker.selectedDevice = uint8_t(index);
    worker.targetId = worker.deviceIds[index];
    return true;
}

void MainWindow::on_pushButtonRefreshTable_clicked()
{
    const QSignalBlocker blocker(ui->tableWidgetPara);
    if (!selectDriveForTable())
        return;
    ui->pushButtonRefreshTable->setEnabled(false);
    showInfo(ui->labelParaInfo, Tone::success, pick({"Start updating the parameter table！", "启动更新参数表！"}));
    worker.execute(cmdReadParaTable);
}

void MainWindow::on_pushButtonReadPara_clicked()
{
    readAllActive = true;
    ui->pushButtonReadPara->setEnabled(false);
    worker.execute(cmdReadParaFirst);
}

void MainWindow::on_pushButtonWritePara_clicked()
{
    writeAllActive = true;
    ui->pushButtonWritePara->setEnabled(false);
    worker.execute(cmdWriteParaFirst);
}

void MainWindow::on_pushButtonRecoverFac_clicked()
{
    if (!selectDriveForTable())
        return;
    snapshotParameterTable();
    ui->pushButtonRecoverFac->setEnabled(false);
    worker.execute(cmdFactoryReset);
}
