// Motor status, fault and calibration reports, and the drive's model name.

#include "reactions/livestatus.h"
#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

QString motorModelName;

void MainWindow::reactMotor(int code)
{
    using namespace statustexts;
    switch (code) {
    case stMotorFeedback: {
        MotorFeedback fb;
        fb.sourceId = worker.sourceId;
        fb.position = worker.fbPosition;
        fb.velocity = worker.fbVelocity;
        fb.torque = worker.fbTorque;
        fb.temperature = worker.fbTemperature;
        fb.mode = worker.fbMode;
        for (int i = 0; i < 6; ++i)
            fb.faultFlags[i] = worker.fbFaultFlags[i];
        fb.noFault = worker.fbNoFault;
        logLine(pick(feedbackLine(fb)));
        liveStatus->record(fb);
        break;
    }
    case stFaultReport:
        logLine(pick(faultReport(worker.sourceId, worker.faultWord, worker.warningWord)));
        break;
    case stEncoderCalProgress:
        logLine(pick(calibrationProgressLine(worker.calRotorAngle, worker.calFluxAngle, worker.calSensorValue)));
        break;
    case stEncoderCalResult:
        logLine(pick(calibrationResultLine(worker.sourceId, worker.calSerial, worker.calArrayIndex, worker.calCorrection)));
        break;
    case stEncoderCalDone:
        logLine(pick(calibrationDoneLine(worker.sourceId, worker.encoderOffset)));
        break;
    case stHallCalDone:
        for (const Bilingual& line :
             hallLines(worker.sourceId, worker.hallFaultFlags, worker.hallWarnFlags, worker.hallSensorFlags))
            logLine(pick(line));
        break;
    case stMotorModel:
        motorModelName = modelName(worker.motorModelCode);
        showInfo(ui->label_motortype, Tone::success, pick(modelLabel(motorModelName)));
        break;
    default:
        break;
    }
}
