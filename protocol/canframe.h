#pragma once
#include <cstdint>

// One CAN frame as the worker sends and receives it.
struct CanFrame {
    uint32_t id = 0;          // 29-bit extended identifier in bits 0..28
    uint8_t length = 0;       // 0..8
    uint8_t data[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};
