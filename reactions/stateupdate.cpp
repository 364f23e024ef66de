// The window's reaction to the worker's state notifications: each code is
// handed to the group of reactions that owns it.

#include <QSignalBlocker>

#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

using Reaction = void (MainWindow::*)(int code);

struct ReactionRow {
    StateCode code;
    Reaction react;
};

// Every code the worker raises, and the group of reactions that owns it.
const ReactionRow reactionTable[] = {
    {stDeviceDetected, &MainWindow::reactAdapter},
    {stAdapterProbeTimeout, &MainWindow::reactAdapter},
    {stAdapterReady, &MainWindow::reactAdapter},
    {stBaudScanTimeout, &MainWindow::reactAdapter},
    {stBaudScanAnswered, &MainWindow::reactAdapter},
    {stAdapterSetupFailed, &MainWindow::reactAdapter},
    {stAdapterSetupDone, &MainWindow::reactAdapter},
    {stModuleBaudRate, &MainWindow::reactAdapter},
    {stModuleLegacyFirmware, &MainWindow::reactAdapter},
    {stModuleBaudChanged, &MainWindow::reactAdapter},
    {stModuleFrameType, &MainWindow::reactAdapter},
    {stModuleFrameTypeChanged, &MainWindow::reactAdapter},

    {stOtaEnterFailed, &MainWindow::reactUpgrade},
    {stOtaEntered, &MainWindow::reactUpgrade},
    {stOtaFileEmpty, &MainWindow::reactUpgrade},
    {stOtaFileTooLarge, &MainWindow::reactUpgrade},
    {stOtaTransferStarted, &MainWindow::reactUpgrade},
    {stOtaInfoTimeout, &MainWindow::reactUpgrade},
    {stOtaBlockAcked, &MainWindow::reactUpgrade},
    {stOtaBlockResend, &MainWindow::reactUpgrade},
    {stOtaTransferDone, &MainWindow::reactUpgrade},
    {stOtaSucceeded, &MainWindow::reactUpgrade},
    {stOtaFailed, &MainWindow::reactUpgrade},
    {stOtaBlockUnanswered, &MainWindow::reactUpgrade},

    {stCanIdSetOk, &MainWindow::reactDevice},
    {stCanIdSetFailed, &MainWindow::reactDevice},
    {stResetModeOk, &MainWindow::reactDevice},
    {stResetModeFailed, &MainWindow::reactDevice},
    {stMotorModeOk, &MainWindow::reactDevice},
    {stMotorModeFailed, &MainWindow::reactDevice},
    {stBrakeModeOk, &MainWindow::reactDevice},
    {stBrakeModeFailed, &MainWindow::reactDevice},
    {stEncoderCalModeOk, &MainWindow::reactDevice},
    {stEncoderCalModeFailed, &MainWindow::reactDevice},
    {stZeroSetOk, &MainWindow::reactDevice},
    {stZeroSetFailed, &MainWindow::reactDevice},
    {stMotorTypeSet0, &MainWindow::reactDevice},
    {stMotorTypeSet1, &MainWindow::reactDevice},

    {stMotorFeedback, &MainWindow::reactMotor},
    {stFaultReport, &MainWindow::reactMotor},
    {stEncoderCalProgress, &MainWindow::reactMotor},
    {stEncoderCalResult, &MainWindow::reactMotor},
    {stEncoderCalDone, &MainWindow::reactMotor},
    {stHallCalDone, &MainWindow::reactMotor},
    {stMotorModel, &MainWindow::reactMotor},

    {stParaTableOk, &MainWindow::reactParams},
    {stParaTableFailed, &MainWindow::reactParams},
    {stParaTableError, &MainWindow::reactParams},
    {stParaReadOk, &MainWindow::reactParams},
    {stParaReadTimeout, &MainWindow::reactParams},
    {stParaReadError, &MainWindow::reactParams},
    {stParaWriteOk, &MainWindow::reactParams},
    {stParaWriteTimeout, &MainWindow::reactParams},
    {stParaWriteError, &MainWindow::reactParams},
    {stParaSaveOk, &MainWindow::reactParams},

    {stScopeConfigError, &MainWindow::reactScope},
    {stScopeConfigTimeout, &MainWindow::reactScope},
    {stScopeFreqOk, &MainWindow::reactScope},
    {stScopeChannelsOk, &MainWindow::reactScope},
    {stScopeStopped, &MainWindow::reactScope},
    {stScopeStopUnconfirmed, &MainWindow::reactScope},
};

// The reaction group of `code`, or nullptr for a number that is no raised code.
Reaction reactionOf(int code)
{
    for (const ReactionRow& row : reactionTable)
        if (row.code == code)
            return row.react;
    return nullptr;
}

}  // namespace

void MainWindow::StateUpdate()
{
    // Cell changes made by the reactions are not operator edits. The blocker
    // restores the previous state, so a reaction nested in a command issued
    // by another reaction does not unblock the table early.
    const QSignalBlocker tableSignals(ui->tableWidgetPara);
    const int code = worker.stateCode;
    if (const Reaction react = reactionOf(code))
        (this->*react)(code);
}

void MainWindow::logLine(const QString& text)
{
    LogView::of(ui->textEditCfgInfo)->append(text);
}
