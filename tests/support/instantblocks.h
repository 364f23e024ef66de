#pragma once
// A worker's own waits in real time, without the pause after each firmware
// block. Declare it before the window or worker it serves: the loop uses it
// until the worker stops.

#include "protocol/otathread.h"

struct InstantBlocks : Clock {
    Clock* real = nullptr;

    void serve(otaThread& worker)
    {
        real = &worker.realTime();
        worker.setClock(this);
    }
    int64_t nowMs() override { return real->nowMs(); }
    void sleepFor(unsigned ms) override { real->sleepFor(ms); }
    void idleWait() override { real->idleWait(); }
    void blockPause() override {}
};
