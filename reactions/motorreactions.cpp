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
    const bool english = languageEnglish;
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
        logLine(feedbackLine(fb, english));
        liveStatus->record(fb);
        break;
    }
    case stFaultReport:
        logLine(faultReport(worker.sourceId, worker.faultWord, worker.warningWord, english));
        break;
    case stEncoderCalProgress:
        logLine(calibrationProgressLine(worker.calRotorAngle, worker.calFluxAngle, worker.calSensorValue, english));
        break;
    case stEncoderCalResult:
        logLine(calibrationResultLine(worker.sourceId, worker.calSerial, worker.calArrayIndex, worker.calCorrection,
                                      english));
        break;
    case stEncoderCalDone:
        logLine(calibrationDoneLine(worker.sourceId, worker.encoderOffset, english));
        break;
    case stHallCalDone:
        for (const QString& line : hallLines(worker.sourceId, worker.hallFaultFlags, worker.hallWarnFlags,
                                             worker.hallSensorFlags, english))
            logLine(line);
        break;
    case stMotorModel:
        motorModelName = modelName(worker.motorModelCode);
        showInfo(ui->label_motortype, Tone::success, modelLabel(motorModelName, english));
        break;
    default:
        break;
    }
}
