#pragma once
// The passing of time as the program waits on it. Tests put a virtual clock
// in its place to run waits, pacing and ages without waiting.

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t nowMs() = 0;             // monotonic milliseconds
    virtual void sleepFor(unsigned ms) = 0;  // the calling thread waits
    virtual void idleWait() = 0;             // nothing to do: a short wait that new work may cut short
    virtual void blockPause() = 0;           // after each firmware block
};

// Real time, for a thread that nothing needs to wake.
class SystemClock : public Clock {
public:
    static SystemClock& instance();
    int64_t nowMs() override;
    void sleepFor(unsigned ms) override;
    void idleWait() override;
    void blockPause() override;
};
