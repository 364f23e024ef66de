#pragma once
// The drives' CAN frames: identifier layout, float codes, byte orders, the
// feedback scaling, the model report table and the motion-control frame.

#include <cstdint>

#include "protocol/canframe.h"
#include "protocol/codes.h"

// The tool's own CAN id, in requests' identifier bits 8..15 and replies' bits 0..7.
constexpr uint8_t hostId = 0xFD;
// Drives remembered by a scan.
constexpr int maxDevices = 14;

namespace codec {

inline uint8_t commType(uint32_t id) { return uint8_t((id >> 24) & 0x1F); }
inline uint8_t destination(uint32_t id) { return uint8_t(id & 0xFF); }
inline uint16_t field(uint32_t id) { return uint16_t((id >> 8) & 0xFFFF); }
inline uint8_t source(uint32_t id) { return uint8_t((id >> 8) & 0xFF); }
inline uint8_t high(uint32_t id) { return uint8_t((id >> 16) & 0xFF); }
inline uint32_t makeId(uint8_t type, uint8_t target, uint16_t fieldBits)
{
    return (uint32_t(type & 0x1F) << 24) | (uint32_t(fieldBits) << 8) | target;
}

uint32_t floatToUint(float x, float min, float max, int bits);
float uintToFloat(uint32_t u, float min, float max, int bits);

uint16_t readLe16(const uint8_t* p);
uint32_t readLe32(const uint8_t* p);
uint64_t readLe64(const uint8_t* p);
uint16_t readBe16(const uint8_t* p);
float readLeFloat(const uint8_t* p);
void writeLe16(uint8_t* p, uint16_t v);
void writeLe32(uint8_t* p, uint32_t v);
void writeLe64(uint8_t* p, uint64_t v);
void writeLeFloat(uint8_t* p, float v);

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int32_t truncateToInt(float x);

struct Ranges {
    float velMin = -50, velMax = 50, kpMax = 5000, kdMax = 5, torqueMin = -50, torqueMax = 50;
};

struct Feedback {
    float position, velocity, torque, temperature;
};
Feedback decodeFeedback(uint16_t p, uint16_t v, uint16_t t, int16_t c, const Ranges& ranges);

// The model report's bytes 3..5: the model code and, for known models, the
// range set to use (nullptr leaves the ranges alone).
struct ModelReport {
    uint8_t code;
    const Ranges* ranges;
};
ModelReport decodeModelReport(uint8_t d3, uint8_t d4, uint8_t d5);

struct SetPoints {
    float position, velocity, kp, kd, torque;
};
// The five codes P, V, KP, KD, T and the type 1 frame carrying them.
void encodeMotion(const SetPoints& set, const Ranges& ranges, uint8_t target, int32_t codes[5], CanFrame& frame);

}  // namespace codec
