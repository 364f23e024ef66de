// Parameter files on the parameter tab: Save Para File, Load Para File with
// its comparison dialog and the values it applies, the row filter, and the
// snapshot taken before a factory reset or an erase destroys the values.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTextEdit>

#include "params/comparedialog.h"
#include "params/paramcompare.h"
#include "params/paramfile.h"
#include "params/valuetext.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {
constexpr int codeColumn = 0;
constexpr int nameColumn = 1;
constexpr int valueColumn = 6;
}  // namespace

void MainWindow::showParamFileControls(bool tableShown)
{
    paramTableShown = tableShown;
    if (tableShown) {
        const uint8_t device = worker.selectedDevice;
        paramTableCanId = device < maxDevices ? worker.deviceIds[device] : 0;
        paramTableMcuId = device < maxDevices ? worker.deviceUids[device] : 0;
    }
    ui->pushButtonSaveParaFile->setEnabled(tableShown);
    ui->pushButtonLoadParaFile->setEnabled(tableShown);
    applyParaFilter();
}

ParamFile MainWindow::paramFileOfTable(bool shownValues) const
{
    ParamFile file;
    file.canId = paramTableCanId;
    file.mcuId = paramTableMcuId;
    file.model = motorModelName;
    file.time = QDateTime::currentDateTime();
    file.entries = tableEntries(worker);
    if (shownValues) {
        for (ParamFileEntry& e : file.entries) {
            const int row = worker.firstRow[kindOfCode(e.code)] + indexOfCode(e.code);
            if (const QTableWidgetItem* item = ui->tableWidgetPara->item(row, valueColumn))
                e.value = item->text();
        }
    }
    return file;
}

void MainWindow::on_pushButtonSaveParaFile_clicked()
{
    if (!paramTableShown)
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hhmmss"));
    const QString path = dialogs->askSaveFileName(pick({"Save parameter file", "保存参数文件"}),
                                                  QStringLiteral("./mcu_%1_%2.json").arg(mcuIdText(paramTableMcuId), stamp),
                                                  pick({"Parameter files(*.json)", "参数文件(*.json)"}));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeParamFile(path, paramFileOfTable(true), error)) {
        showInfo(ui->labelParaInfo, Tone::failure,
                 pick({"Parameter file not saved: ", "参数文件保存失败："}) + QDir::toNativeSeparators(path)
                     + pick({" (", "（"}) + error + pick({")", "）"}));
        return;
    }
    showInfo(ui->labelParaInfo, Tone::success, pick({"Parameter file saved: ", "参数文件已保存："}) + QDir::toNativeSeparators(path));
}

void MainWindow::on_pushButtonLoadParaFile_clicked()
{
    if (!paramTableShown)
        return;
    const QString path = dialogs->askOpenFileName(pick({"Load parameter file", "载入参数文件"}), QStringLiteral("."),
                                                  pick({"Parameter files(*.json)", "参数文件(*.json)"}));
    if (path.isEmpty())
        return;
    ParamFile file;
    ParamFileProblem problem;
    if (!readParamFile(path, file, problem)) {
        showInfo(ui->labelParaInfo, Tone::failure, pick(paramFileProblemText(problem)));
        return;
    }
    const auto drive = [](uint8_t canId, uint64_t mcuId) {
        return QStringLiteral("CAN ID %1, MCU %2").arg(canId).arg(mcuIdText(mcuId));
    };
    QString heading = pick({"File: ", "文件："}) + QDir::toNativeSeparators(path) + QLatin1Char('\n')
        + pick({"Saved from: ", "保存自："}) + drive(file.canId, file.mcuId);
    if (!file.model.isEmpty())
        heading += QStringLiteral(", ") + file.model;
    heading += QStringLiteral(", ") + file.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        + QLatin1Char('\n') + pick({"Compared with: ", "对比驱动器："}) + drive(paramTableCanId, paramTableMcuId);
    ParaCompareDialog dialog(this, compareWithTable(worker, file.entries), heading, languageEnglish,
                             [this](const CompareRow& row, QString& reason) { return applyFileValue(row, reason); });
    dialog.exec();
}

bool MainWindow::applyFileValue(const CompareRow& row, QString& reason)
{
    const uint32_t kind = kindOfCode(row.code);
    const uint16_t index = indexOfCode(row.code);
    const int tableRow = worker.firstRow[kind < 4 ? kind : 0] + index;
    QTableWidget* table = ui->tableWidgetPara;
    QTableWidgetItem* item = nullptr;
    if (paramTableShown && worker.hasEntry(kind, index) && table->item(tableRow, nameColumn)
        && table->item(tableRow, nameColumn)->text() == row.name)
        item = table->item(tableRow, valueColumn);
    if (!item) {
        reason = pick({"the table no longer shows this entry", "参数表中已无此项"});
        return false;
    }
    EditVerdict verdict = EditVerdict::Invalid;
    if (kind == WritableString)
        verdict = checkTextEdit(worker.writableStrings[index].valueText, row.fileValue).verdict;
    else if (kind == WritableParam && (item->flags() & Qt::ItemIsEditable))
        verdict = checkNumberEdit(worker.writableParams[index], row.fileValue).verdict;
    else {
        reason = pick({"read-only on the drive", "驱动器上只读"});
        return false;
    }
    switch (verdict) {
    case EditVerdict::Invalid:
        reason = kind == WritableString ? pick({"The input contains non-ASCII characters!", "输入字符含有非ASCII字符!"})
                                        : pick({"The input data is incorrect!", "输入数据有误!"});
        return false;
    case EditVerdict::OutOfRange:
        reason = pick({"The input data is out of range!", "输入数据超出范围!"});
        return false;
    case EditVerdict::Unchanged:
        reason = pick({"the drive already holds this value", "驱动器已是此值"});
        return false;
    case EditVerdict::Changed:
        break;
    }
    {
        const QSignalBlocker blocker(table);
        item->setText(row.fileValue);
    }
    // The value takes the path of a typed one: the same checks, the same marking.
    on_tableWidgetPara_cellChanged(tableRow, valueColumn);
    return true;
}

void MainWindow::on_lineEditParaFilter_textChanged(QString)
{
    applyParaFilter();
}

void MainWindow::on_checkBoxModifiedOnly_toggled(bool)
{
    applyParaFilter();
}

void MainWindow::applyParaFilter()
{
    QTableWidget* table = ui->tableWidgetPara;
    const QString text = ui->lineEditParaFilter->text().trimmed();
    const bool modifiedOnly = ui->checkBoxModifiedOnly->isChecked();
    const auto contains = [&](int row, int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item && item->text().contains(text, Qt::CaseInsensitive);
    };
    for (int row = 0; row < table->rowCount(); ++row) {
        bool shown = text.isEmpty() || contains(row, codeColumn) || contains(row, nameColumn);
        if (modifiedOnly) {
            uint32_t kind = 0;
            uint16_t index = 0;
            shown = shown && paramTableShown && worker.entryAtRow(row, kind, index) && worker.isModified(kind, index);
        }
        table->setRowHidden(row, !shown);
    }
}

void MainWindow::snapshotParameterTable()
{
    const int device = ui->comboBoxDev->currentIndex();
    if (!paramTableShown || device < 0 || device >= worker.deviceCount || worker.deviceUids[device] != paramTableMcuId)
        return;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/snapshots/");
    const QString path = folder + snapshotFileName(paramTableMcuId, QDateTime::currentDateTime());
    QString error;
    if (!QDir().mkpath(folder))
        error = pick({"the folder cannot be created", "无法创建文件夹"});
    else if (writeParamFile(path, paramFileOfTable(false), error)) {
        logLine(pick({"Parameter snapshot saved：", "参数快照已保存："}) + QDir::toNativeSeparators(path));
        return;
    }
    logFailure(pick({"Parameter snapshot not saved：", "参数快照未能保存："}) + QDir::toNativeSeparators(path)
               + pick({" (", "（"}) + error + pick({")", "）"}));
}

void MainWindow::logFailure(const QString& text)
{
    LogView::of(ui->textEditCfgInfo)->appendFailure(text);
}
