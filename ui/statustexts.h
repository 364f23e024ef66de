#pragma once
// The texts of the drive and adapter reactions, built from the worker's data
// in both languages. Nothing here touches a widget.

#include <QString>
#include <QVector>

#include <cstdint>

#include "protocol/firmwareimage.h"
#include "protocol/recordfile.h"
#include "ui/bilingual.h"

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
Bilingual modeName(int mode);
// "/Overcurrent/Uncalibrated", or "None" when no flag is set.
Bilingual feedbackFaultTexts(const bool faultFlags[6], bool noFault);
Bilingual feedbackLine(const MotorFeedback& fb);

// One paragraph with embedded CR LF: the motor, the fault heading and its
// bits, the warning heading and its bits.
Bilingual faultReport(uint8_t sourceId, uint32_t faultWord, uint32_t warningWord);

Bilingual calibrationProgressLine(float rotorAngle, float fluxAngle, uint16_t sensorValue);
Bilingual calibrationResultLine(uint8_t sourceId, uint16_t serial, uint16_t arrayIndex, int32_t correction);
Bilingual calibrationDoneLine(uint8_t sourceId, float encoderOffset);

// The summary line and one line per Hall sensor: seven lines.
QVector<Bilingual> hallLines(uint8_t sourceId, uint8_t faultFlags, uint8_t warnFlags, const uint8_t sensorFlags[6]);

QString modelName(uint8_t modelCode);
Bilingual modelLabel(const QString& name);

// ---- detection and adapter set-up ---------------------------------------

// The drive's entry in the device list, the same in both languages: "CAN:5  id:ab".
QString detectionEntry(uint8_t canId, uint64_t mcuId);
Bilingual detectionText(uint64_t mcuId, uint8_t canId);

Bilingual adapterReadyText();
Bilingual adapterFailedText();
Bilingual configuringSerialText(int rate);

// ---- the adapter's module reports ---------------------------------------

struct ModuleSetting {
    Bilingual comboText;  // the selector item that matches the report
    Bilingual label;
};

Bilingual moduleConnectedText();
ModuleSetting moduleBaudRate(uint8_t baudCode);
Bilingual moduleLegacyFirmwareText();
Bilingual moduleBaudChangedText();
ModuleSetting moduleFrameType(uint8_t frameCode);
Bilingual moduleFrameTypeChangedText();

// ---- device command outcomes: CAN id, modes, zero, motor type ----------

// The outcome sentence without the device suffix; empty for other codes.
Bilingual deviceCodeText(int code);
// Code 24 adds this paragraph after its success line.
Bilingual calibrationWaitText();
// Codes 16..27 are followed by the addressed drive's entry.
bool deviceCodeTakesSuffix(int code);

// ---- firmware upgrade ------------------------------------------------------

// Why the image chosen for an upgrade is refused (empty for an accepted one).
Bilingual imageFaultText(const firmware::Image& image);
Bilingual blockUnansweredText(uint32_t block);

// ---- recording files ---------------------------------------------------

// "disk full" or "cannot write".
Bilingual writeFailureCause(recordfile::WriteFailure cause);
// The wave file stopped: the cause and how many lines of it reached the file.
Bilingual waveFileFailureText(recordfile::WriteFailure cause, uint32_t linesKept);
// The log capture stopped: the cause.
Bilingual logCaptureFailureText(recordfile::WriteFailure cause);

}  // namespace statustexts
