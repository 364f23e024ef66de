#pragma once
// The frames the operator controls send themselves (not through execute), and
// the field conversions behind them.

#include <QString>

#include <cstdint>

#include "protocol/canframe.h"

namespace commandframes {

constexpr uint16_t indexSineEnable = 0x7001;
constexpr uint16_t indexSineFrequency = 0x7002;
constexpr uint16_t indexSineAmplitude = 0x7003;
constexpr uint16_t indexRunMode = 0x7005;
constexpr uint16_t indexReportPeriod = 0x7026;
constexpr uint16_t indexReportPeriodModel2 = 0x7024;
constexpr float positionLimit = 12.57f;

// Communication type 18: index in bytes 0..1 (low first), zeros, value in 4..7.
CanFrame paramWrite(uint8_t target, uint16_t index, const uint8_t value[4]);
CanFrame paramWriteFloat(uint8_t target, uint16_t index, float value);
CanFrame paramWriteByte(uint8_t target, uint16_t index, uint8_t value);

// Automatic reporting on or off: type 24 (23 for model code 2), length 7.
CanFrame reportingFrame(uint8_t target, uint8_t modelCode, bool start);

// The period field: the code written to the drive and the text it is shown as.
uint16_t reportPeriodCode(const QString& text);
QString reportPeriodText(uint16_t code);
uint16_t reportPeriodIndex(uint8_t modelCode);
CanFrame reportPeriodFrame(uint8_t target, uint8_t modelCode, uint16_t code);

// Jog: truncate(65535 (x - velMin) / (velMax - velMin)), kept within 16 bits.
uint16_t jogSpeedWord(float speed, float velMin, float velMax);
CanFrame jogFrame(uint8_t target, float speed, bool enable, float velMin, float velMax);

// Parameter 0x7005's code for a run-mode item text (either language).
uint16_t runModeCode(const QString& text, uint8_t modelCode);

// The adapter's own settings: codes for the selector texts and the command line.
uint8_t adapterRateCode(const QString& text);
uint8_t adapterFrameTypeCode(const QString& text);
CanFrame moduleCommand(uint8_t command, uint8_t code);
constexpr uint8_t moduleQuery = 0x2B;
constexpr uint8_t moduleSetRate = 0x3B;
constexpr uint8_t moduleSetFrameType = 0x4B;

CanFrame clearFaultFrame(uint8_t target);
CanFrame privateProtocolFrame();

// A motion-control field's text after a keystroke: the bound with two
// decimals when the value is outside [low, high], else an empty string.
QString clampedFieldText(const QString& text, float low, float high);

// The CAN id field: the accepted id, and the text to show instead when the
// input is out of 1..127 (empty when the input stands).
struct CanIdInput {
    uint8_t id;
    QString replacement;
};
CanIdInput parseCanIdInput(const QString& text);

// A float field as the drive gets it: unparsable text is 0.
float fieldValue(const QString& text);

}  // namespace commandframes
