#pragma once
// Members of the worker used by the oscilloscope: channel configuration,
// sample decoding and the per-channel windows, and the wave file.

struct ScopeState {
};
