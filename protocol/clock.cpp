#include "protocol/clock.h"

#include <chrono>
#include <thread>

#include "protocol/firmwareimage.h"

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

int64_t SystemClock::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::sleepFor(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemClock::idleWait()
{
    sleepFor(20);
}

void SystemClock::blockPause()
{
    firmware::pauseAfterBlock();
}
