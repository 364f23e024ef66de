#include "protocol/framecodec.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace codec {

uint32_t floatToUint(float x, float min, float max, int bits)
{
    const float span = max - min;
    const float scaled = float((1ull << bits) - 1) * (x - min) / span;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 4294967295.0f)
        return 0xFFFFFFFFu;
    return uint32_t(scaled);
}

float uintToFloat(uint32_t u, float min, float max, int bits)
{
    return (max - min) * float(u) / float((1ull << bits) - 1) + min;
}

uint16_t readLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t readLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint64_t readLe64(const uint8_t* p) { return uint64_t(readLe32(p)) | (uint64_t(readLe32(p + 4)) << 32); }
uint16_t readBe16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
float readLeFloat(const uint8_t* p)
{
    const uint32_t bits = readLe32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
void writeLe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void writeLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void writeLe64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void writeLeFloat(uint8_t* p, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    writeLe32(p, bits);
}

Feedback decodeFeedback(uint16_t p, uint16_t v, uint16_t t, int16_t c, const Ranges& r)
{
    Feedback f;
    f.position = float(p) * 25.14f / 65535.0f - 12.57f;
    f.velocity = float(v) * (r.velMax - r.velMin) / 65535.0f + r.velMin;
    f.torque = float(t) * (r.torqueMax - r.torqueMin) / 65535.0f + r.torqueMin;
    f.temperature = float(c) / 10.0f;
    return f;
}

int32_t truncateToInt(float x)
{
    if (!(x == x))
        return 0;
    if (x >= 2147483647.0f)
        return INT32_MAX;
    if (x <= -2147483648.0f)
        return INT32_MIN;
    return int32_t(x);
}

namespace {
const Ranges R1{-50, 50, 500, 5, -5.5f, 5.5f};
const Ranges R2{-44, 44, 500, 5, -17, 17};
const Ranges R3{-20, 20, 5000, 100, -60, 60};
const Ranges R4{-33, 33, 500, 5, -14, 14};
const Ranges R5{-15, 15, 5000, 100, -120, 120};
const Ranges R6{-50, 50, 5000, 100, -36, 36};
}  // namespace

ModelReport decodeModelReport(uint8_t d3, uint8_t d4, uint8_t d5)
{
    const uint8_t reported = uint8_t(d3 * 10 + d4);
    if (d3 == 1)
        return d4 == 0 ? ModelReport{10, &R1} : ModelReport{reported, nullptr};
    switch (d4) {
    case 0:
        if (d5 <= 1) return {1, &R2};
        if (d5 == 2) return {0, &R4};
        return {32, &R4};
    case 1:
        if (d5 == 2) return {17, &R2};
        if (d5 == 0) return {4, &R5};
        if (d5 >= 3) return {33, &R2};
        break;
    case 2:
        if (d5 == 2 || d5 == 5) return {2, &R2};
        if (d5 == 3) return {34, &R2};
        if (d5 == 0 || d5 == 1) return {3, &R3};
        break;
    case 3:
        if (d5 != 0) return {35, &R3};
        break;
    case 4:
        return d5 == 0 ? ModelReport{4, &R5} : ModelReport{36, &R5};
    case 5:
        return {37, &R1};
    case 6:
        return {38, &R6};
    default:
        break;
    }
    return {reported, nullptr};
}

void encodeMotion(const SetPoints& s, const Ranges& r, uint8_t target, int32_t codes[5], CanFrame& frame)
{
    codes[0] = truncateToInt(((s.position + 12.57f) * 65535.0f / 25.14f));
    codes[1] = truncateToInt(((s.velocity - r.velMin) * 65535.0f / (r.velMax - r.velMin)));
    codes[2] = truncateToInt((s.kp * 65535.0f / r.kpMax));
    codes[3] = truncateToInt((s.kd * 65535.0f / r.kdMax));
    codes[4] = truncateToInt(((s.torque - r.torqueMin) * 65535.0f / (r.torqueMax - r.torqueMin)));
    frame = CanFrame();
    frame.id = makeId(commMotion, target, uint16_t(codes[4]));
    frame.length = 8;
    for (int i = 0; i < 4; ++i) {
        frame.data[2 * i] = uint8_t(uint16_t(codes[i]) >> 8);
        frame.data[2 * i + 1] = uint8_t(codes[i]);
    }
}

}  // namespace codec
