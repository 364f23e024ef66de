// Reactions to the parameter transfer: download, value reads and the
// read-all, value writes and the write-back, the save.

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "params/valuetext.h"
#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

void MainWindow::reactParams(int code)
{
    QLabel* info = ui->labelParaInfo;
    const QString parameter = parameterCodeText(worker.requestCode);

    switch (code) {
    case stParaTableOk:
        showInfo(info, Tone::success, pick({"Update parameter table successfully!", "更新参数表成功！"}));
        showInfo(ui->label_selChInfo, Tone::success, pick({"Update parameter table successfully!", "更新参数表成功！"}));
        buildParameterRows();
        ui->pushButtonReadPara->setEnabled(true);
        ui->pushButtonWritePara->setEnabled(false);
        ui->pushButtonExportExcel->setEnabled(true);
        ui->pushButtonRecoverFac->setEnabled(true);
        break;
    case stParaTableFailed:
        showInfo(info, Tone::failure, pick({"Failed to update parameter table!", "更新参数表失败！"}));
        ui->pushButtonRefreshTable->setEnabled(true);
        break;
    case stParaTableError:
        showInfo(info, Tone::failure, pick(downloadErrorText(worker.paramErrorFlags, worker.incompleteCode)));
        ui->pushButtonRefreshTable->setEnabled(true);
        break;
    case stParaReadOk:
        showInfo(info, Tone::success, pick({"Parameters read successfully:", "成功读取参数:"}) + parameter);
        refreshValueCell(int(worker.requestKind), worker.requestIndex);
        if (readAllActive) {
            if (worker.nextRead(worker.requestKind, worker.requestIndex)) {
                worker.execute(cmdReadParaNext);
            } else {
                ui->pushButtonReadPara->setEnabled(true);
                info->setText(pick({"All parameters were read successfully!", "成功读取所有参数！"}));
                readAllActive = false;
            }
        }
        break;
    case stParaReadTimeout:
        showInfo(info, Tone::failure, pick({"Read parameter timeout: ", "读取参数超时："}) + parameter);
        ui->pushButtonReadPara->setEnabled(true);
        break;
    case stParaReadError:
        showInfo(info, Tone::failure, pick(readErrorText(worker.requestCode, worker.paramErrorFlags)));
        ui->pushButtonReadPara->setEnabled(true);
        break;
    case stParaWriteOk:
        showInfo(info, Tone::success, pick({"Parameters written successfully:", "成功写参数:"}) + parameter);
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
        showInfo(info, Tone::failure, pick({"Write parameter timeout: ", "写参数超时："}) + parameter);
        ui->pushButtonWritePara->setEnabled(true);
        writeAllActive = false;
        break;
    case stParaWriteError:
        showInfo(info, Tone::failure, pick(writeErrorText(worker.requestCode, worker.paramErrorFlags)));
        ui->pushButtonWritePara->setEnabled(true);
        writeAllActive = false;
        break;
    case stParaSaveOk:
        showInfo(info, Tone::success, pick({"All parameters saved successfully!", "所有参数保存成功！"}));
        // the write-back is over: a later write reply (factory reset) continues nothing
        writeAllActive = false;
        break;
    default:
        break;
    }
}
