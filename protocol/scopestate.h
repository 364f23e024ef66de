#pragma once
// Members of the worker used by the oscilloscope: channel configuration,
// sample decoding and the per-channel windows, and the wave file.

#include <cstdint>

struct ScopeState {
    uint16_t scopeFrequency = 100;
    uint16_t scopeFrequencyMax = 2600;
    uint16_t scopeFrequencyMin = 1;
};
