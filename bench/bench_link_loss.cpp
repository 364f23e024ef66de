// CPU use of the program with the adapter plugged in and idle, and after it
// is pulled out (the simulated adapter unplugged behind a stable link), each
// over 10 s of the event loop; then the time until the port is back after
// the replug. Goal: under 1 % of a core once the loss has been handled.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

#include "support/e2e.h"

namespace {

double seconds(const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; }

struct CpuShare {
    double process = 0;  // every thread: window, worker, simulator
    double gui = 0;      // the window's thread alone
};

CpuShare measure(int ms)
{
    rusage self0, gui0, self1, gui1;
    getrusage(RUSAGE_SELF, &self0);
    getrusage(RUSAGE_THREAD, &gui0);
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;  // not QTest::qWait, whose own polling would be measured
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    getrusage(RUSAGE_SELF, &self1);
    getrusage(RUSAGE_THREAD, &gui1);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const auto used = [](const rusage& a, const rusage& b) {
        return seconds(b.ru_utime) - seconds(a.ru_utime) + seconds(b.ru_stime) - seconds(a.ru_stime);
    };
    return {100.0 * used(self0, self1) / elapsed, 100.0 * used(gui0, gui1) / elapsed};
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SimulatedRig rig;
    rig.sim.linkPath = dir.filePath("ttyCH340");
    if (!rig.start() || !rig.openAndHandshake()) {
        std::fprintf(stderr, "bench_link_loss: the simulated adapter did not answer\n");
        return 1;
    }
    const int window = 10000;
    const CpuShare plugged = measure(window);

    QElapsedTimer sinceLoss;
    rig.sim.unplug();
    sinceLoss.start();
    const bool closed = QTest::qWaitFor([&] { return !rig.window->portOpen; }, 3000);
    const qint64 closedAfter = sinceLoss.elapsed();
    QTest::qWait(500);
    const CpuShare unplugged = measure(window);

    QElapsedTimer sinceReplug;
    rig.sim.replug();
    sinceReplug.start();
    const bool reopened = QTest::qWaitFor([&] { return rig.window->portOpen; }, 5000);
    const qint64 reopenedAfter = sinceReplug.elapsed();

    std::printf("link loss: CPU share of one core over %d s of the event loop\n", window / 1000);
    std::printf("  plugged in, idle:  process %5.2f %%, window thread %5.2f %%\n", plugged.process, plugged.gui);
    std::printf("  after the unplug:  process %5.2f %%, window thread %5.2f %% (goal < 1 %%)\n", unplugged.process,
                unplugged.gui);
    if (closed)
        std::printf("  port closed %lld ms after the unplug (goal <= 1000 ms)\n", closedAfter);
    else
        std::printf("  port still open 3 s after the unplug\n");
    if (reopened)
        std::printf("  port reopened %lld ms after the replug\n", reopenedAfter);
    else
        std::printf("  port not reopened within 5 s of the replug\n");
    return 0;
}
