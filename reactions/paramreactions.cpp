// Reactions to the parameter transfer: download, value reads and the
// read-all, value writes and the write-back, the save.

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "app/mainwindow.h"
#include "params/valuetext.h"
#include "ui_mainwindow.h"

void MainWindow::reactParams(int code)
{
    QLabel* info = ui->labelParaInfo;
    const QString red = QStringLiteral("color:red;");
    const QString green = QStringLiteral("color:green;");
    const QString parameter = parameterCodeText(worker.requestCode);

    switch (code) {
    case stParaTableOk:
        info->setText(tr2("Update parameter table successfully!", "更新参数表成功！"));
        ui->label_selChInfo->setText(tr2("Update parameter table successfully!", "更新参数表成功！"));
        info->setStyleSheet(green);
        ui->label_selChInfo->setStyleSheet(green);
        buildParameterRows();
        ui->pushButtonReadPara->setEnabled(true);
        ui->pushButtonWritePara->setEnabled(false);
        ui->pushButtonExportExcel->setEnabled(true);
        ui->pushButtonRecoverFac->setEnabled(true);
        break;
    case stParaTableFailed:
        info->setStyleSheet(red);
        info->setText(tr2("Failed to update parameter table!", "更新参数表失败！"));
        ui->pushButtonRefreshTable->setEnabled(true);
        break;
    case stParaTableError:
        info->setStyleSheet(red);
        info->setText(downloadErrorText(languageEnglish, worker.paramErrorFlags, worker.incompleteCode));
        ui->pushButtonRefreshTable->setEnabled(true);
        break;
    case stParaReadOk:
        info->setStyleSheet(green);
        info->setText(tr2("Parameters read successfully:", "成功读取参数:") + parameter);
        refreshValueCell(int(worker.requestKind), worker.requestIndex);
        if (readAllActive) {
            if (worker.nextRead(worker.requestKind, worker.requestIndex)) {
                worker.execute(cmdReadParaNext);
            } else {
                ui->pushButtonReadPara->setEnabled(true);
                info->setText(tr2("All parameters were read successfully!", "成功读取所有参数！"));
                readAllActive = false;
            }
        }
        break;
    case stParaReadTimeout:
        info->setStyleSheet(red);
        info->setText(tr2("Read parameter timeout: ", "读取参数超时：") + parameter);
        ui->pushButtonReadPara->setEnabled(true);
        break;
    case stParaReadError:
        info->setStyleSheet(red);
        info->setText(readErrorText(languageEnglish, worker.requestCode, worker.paramErrorFlags));
        ui->pushButtonReadPara->setEnabled(true);
        break;
    case stParaWriteOk:
        info->setText(tr2("Parameters written successfully:", "成功写参数:") + parameter);
        info->setStyleSheet(green);
        setValueCellColor(worker.requestKind, worker.requestIndex, Qt::black);
        commitValueCell(int(worker.requestKind), worker.requestIndex);
        if (writeAllActive) {
            if (worker.nextWrite(worker.requestKind, worker.requestIndex) == WriteStep::WriteEntry)
                worker.execute(cmdWriteParaRow);
            else
                worker.execute(cmdSaveParams);
        }
        break;
    case stParaWriteTimeout:
        info->setStyleSheet(red);
        info->setText(tr2("Write parameter timeout: ", "写参数超时：") + parameter);
        ui->pushButtonWritePara->setEnabled(true);
        writeAllActive = false;
        break;
    case stParaWriteError:
        info->setStyleSheet(red);
        info->setText(writeErrorText(languageEnglish, worker.requestCode, worker.paramErrorFlags));
        ui->pushButtonWritePara->setEnabled(true);
        writeAllActive = false;
        break;
    case stParaSaveOk:
        info->setStyleSheet(green);
        info->setText(tr2("All parameters saved successfully!", "所有参数保存成功！"));
        // the write-back is over: a later write reply (factory reset) continues nothing
        writeAllActive = false;
        break;
    default:
        break;
    }
}
