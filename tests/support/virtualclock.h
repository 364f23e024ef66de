#pragma once
// Time that passes only when the code under test waits: each sleep adds its
// milliseconds. A test may give any of the waits its own action.

#include <functional>

#include "protocol/clock.h"

struct VirtualClock : Clock {
    int64_t now = 0;
    std::function<void(unsigned ms)> onSleep;
    std::function<void()> onIdle;
    std::function<void()> onBlockPause;

    int64_t nowMs() override { return now; }
    void sleepFor(unsigned ms) override
    {
        if (onSleep)
            onSleep(ms);
        else
            now += ms;
    }
    void idleWait() override
    {
        if (onIdle)
            onIdle();
    }
    void blockPause() override
    {
        if (onBlockPause)
            onBlockPause();
    }
};
