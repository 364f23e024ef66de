#pragma once
// The texts of the drive and adapter reactions, built from the worker's data
// in the language asked for. Nothing here touches a widget.

#include <QString>
#include <QStringList>

#include <cstdint>

#include "protocol/firmwareimage.h"
#include "protocol/recordfile.h"

// The model named by the drive's last identification reply (empty before).
extern QString motorModelName;

namespace statustexts {

// ---- motor status and calibration reports -------------------------------

struct MotorFeedback {
    uint8_t sourceId = 0;
    float position = 0, velocity = 0, torque = 0, temperature = 0;
    int mode = 0;
    bool faultFlags[6] = {};
    bool noFault = true;
};

// A feedback value as the feedback line writes it: four decimals.
QString feedbackNumber(float x);
QString modeName(int mode, bool english);
// "/Overcurrent/Uncalibrated", or "None" when no flag is set.
QString feedbackFaultTexts(const bool faultFlags[6], bool noFault, bool english);
QString feedbackLine(const MotorFeedback& fb, bool english);

// One paragraph with embedded CR LF: the motor, the fault heading and its
// bits, the warning heading and its bits.
QString faultReport(uint8_t sourceId, uint32_t faultWord, uint32_t warningWord, bool english);

QString calibrationProgressLine(float rotorAngle, float fluxAngle, uint16_t sensorValue, bool english);
QString calibrationResultLine(uint8_t sourceId, uint16_t serial, uint16_t arrayIndex, int32_t correction,
                              bool english);
QString calibrationDoneLine(uint8_t sourceId, float encoderOffset, bool english);

// The summary line and one line per Hall sensor: seven lines.
QStringList hallLines(uint8_t sourceId, uint8_t faultFlags, uint8_t warnFlags, const uint8_t sensorFlags[6],
                      bool english);

QString modelName(uint8_t modelCode);
QString modelLabel(const QString& name, bool english);

// ---- detection and adapter set-up ---------------------------------------

// The drive's entry in the device list, the same in both languages: "CAN:5  id:ab".
QString detectionEntry(uint8_t canId, uint64_t mcuId);
QString detectionText(uint64_t mcuId, uint8_t canId, bool english);

QString adapterReadyText(bool english);
QString adapterFailedText(bool english);
QString configuringSerialText(int rate, bool english);

// ---- the adapter's module reports ---------------------------------------

struct ModuleSetting {
    QString comboText;  // the selector item that matches the report
    QString label;
};

QString moduleConnectedText(bool english);
ModuleSetting moduleBaudRate(uint8_t baudCode, bool english);
QString moduleLegacyFirmwareText(bool english);
QString moduleBaudChangedText(bool english);
ModuleSetting moduleFrameType(uint8_t frameCode, bool english);
QString moduleFrameTypeChangedText(bool english);

// ---- device command outcomes: CAN id, modes, zero, motor type ----------

// The outcome sentence without the device suffix; empty for other codes.
QString deviceCodeText(int code, bool english);
// Code 24 adds this paragraph after its success line.
QString calibrationWaitText(bool english);
// Codes 16..27 are followed by the addressed drive's entry.
bool deviceCodeTakesSuffix(int code);

// ---- firmware upgrade ------------------------------------------------------

// Why the image chosen for an upgrade is refused (empty for an accepted one).
QString imageFaultText(const firmware::Image& image, bool english);
QString blockUnansweredText(uint32_t block, bool english);

// ---- recording files ---------------------------------------------------

// "disk full" or "cannot write".
QString writeFailureCause(recordfile::WriteFailure cause, bool english);
// The wave file stopped: the cause and how many lines of it reached the file.
QString waveFileFailureText(recordfile::WriteFailure cause, uint32_t linesKept, bool english);
// The log capture stopped: the cause.
QString logCaptureFailureText(recordfile::WriteFailure cause, bool english);

}  // namespace statustexts
