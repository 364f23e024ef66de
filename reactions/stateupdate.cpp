// The window's reaction to the worker's state notifications: each code is
// handed to the group of reactions that owns it.

#include <QSignalBlocker>

#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::StateUpdate()
{
    // Cell changes made by the reactions are not operator edits. The blocker
    // restores the previous state, so a reaction nested in a command issued
    // by another reaction does not unblock the table early.
    const QSignalBlocker tableSignals(ui->tableWidgetPara);
    const int code = worker.stateCode;
    switch (code) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6:
    case 58: case 59: case 60: case 61: case 62:
        reactAdapter(code);
        break;
    case 7: case 8: case 9: case 10: case 11: case 12: case 13: case 14: case 15:
    case 53: case 54: case 63:
        reactUpgrade(code);
        break;
    case 16: case 17: case 18: case 19: case 20: case 21: case 22: case 23:
    case 24: case 25: case 26: case 27: case 55: case 56:
        reactDevice(code);
        break;
    case 28: case 29: case 30: case 31: case 32: case 36: case 57:
        reactMotor(code);
        break;
    case 37: case 38: case 39: case 40: case 41: case 42: case 43: case 44: case 45: case 46:
        reactParams(code);
        break;
    case 47: case 48: case 49: case 50: case 52: case 64:
        reactScope(code);
        break;
    default:
        // 33, 34, 35 and 51 are never raised; anything outside 0..64 is not a code.
        break;
    }
}

void MainWindow::logLine(const QString& text)
{
    LogView::of(ui->textEditCfgInfo)->append(text);
}
