// Feedback frames through the whole window path: the adapter line is decoded,
// the feedback reaction builds its line and the log view shows it.
// 1. Cost per frame with 1,000, 10,000 and 100,000 paragraphs already
//    appended, five frames per event-loop turn as the port delivers them at
//    full rate (goal: growth at most 1.2x).
// 2. A live run at a given rate for a given time of stream, by default the
//    adapter's maximum of 5,421 lines/s for 60 s: the GUI thread's busy share
//    (goal at most 30 %), the longest event-loop turn (goal under 50 ms) and
//    the resident memory at start and end.
// Usage: bench_feedback_log [frames-per-second [seconds]]; "0" for seconds skips the live run,
// "live" as third argument skips part 1.

#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

constexpr int framesPerTurn = 5;
constexpr int adapterMaximumRate = 5421;  // feedback lines per second

QByteArray feedbackLine(uint8_t drive, uint16_t position)
{
    CanFrame frame;
    frame.id = codec::makeId(2, hostId, uint16_t(drive | (2u << 14)));  // mode MOTOR
    frame.length = 8;
    const uint16_t words[4] = {position, 0x8000, 0x7F00, 312};
    for (int i = 0; i < 4; ++i) {
        frame.data[2 * i] = uint8_t(words[i] >> 8);
        frame.data[2 * i + 1] = uint8_t(words[i]);
    }
    return adapterline::encodeDataLine(frame);
}

double threadCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Feeder {
    MainWindow& window;
    long fed = 0;
    void feed(int frames)
    {
        QByteArray chunk;
        for (int i = 0; i < frames; ++i, ++fed)
            chunk += feedbackLine(uint8_t(1 + fed % 4), uint16_t(fed * 7));
        window.worker.getSerialData(chunk);
    }
};

// Sleeps until `clock` reaches `ms`: the stream keeps the time it has on the wire.
void waitUntil(const QElapsedTimer& clock, double ms)
{
    const double ahead = ms - double(clock.nsecsElapsed()) / 1e6;
    if (ahead > 0)
        QThread::usleep((unsigned long)(ahead * 1000));
}

// Frames fed five per turn at the adapter's maximum rate, each turn followed by
// the event loop's work. The view shows everything raised before the first
// and, counted, after the last, so no batch is counted in the wrong figure.
double microsecondsPerFrame(QApplication& app, Feeder& feeder, int frames)
{
    LogView* log = LogView::of(feeder.window.ui->textEditCfgInfo);
    log->flush();
    QElapsedTimer clock;
    clock.start();
    double cpu = 0;
    for (int i = 0; i < frames; i += framesPerTurn) {
        waitUntil(clock, i * 1000.0 / adapterMaximumRate);
        const double start = threadCpuSeconds();
        feeder.feed(framesPerTurn);
        app.processEvents();
        cpu += threadCpuSeconds() - start;
    }
    const double start = threadCpuSeconds();
    log->flush();
    cpu += threadCpuSeconds() - start;
    return cpu * 1e6 / frames;
}

void costPerFrame(QApplication& app, MainWindow& window)
{
    Feeder feeder{window};
    const long marks[3] = {1000, 10000, 100000};
    const int measured = 2000;
    double cost[3] = {};
    for (int m = 0; m < 3; ++m) {
        while (feeder.fed < marks[m])
            feeder.feed(int(std::min<long>(framesPerTurn, marks[m] - feeder.fed))), app.processEvents();
        cost[m] = microsecondsPerFrame(app, feeder, measured);
    }
    std::printf("1. cost per feedback frame, %d per event-loop turn, GUI thread CPU time over %d frames\n",
                framesPerTurn, measured);
    for (int m = 0; m < 3; ++m)
        std::printf("   %7ld paragraphs appended before: %7.1f us per frame\n", marks[m], cost[m]);
    std::printf("   growth 1,000 -> 100,000: %.2fx (goal <= 1.2x)\n", cost[2] / cost[0]);
    std::printf("   paragraphs in the view: %d blocks\n", window.ui->textEditCfgInfo->document()->blockCount());
}

// The event loop turns every millisecond, in real time, with the frames
// that arrived in it. Figures are the GUI thread's own CPU time, so that the
// machine's other load does not count.
void liveRun(QApplication& app, MainWindow& window, int rate, int seconds)
{
    Feeder feeder{window};
    const long turns = long(seconds) * 1000;
    double longestTurnMs = 0;
    const double rssStart = residentMegabytes();
    const double cpuStart = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (long turn = 1; turn <= turns; ++turn) {
        waitUntil(wall, double(turn));
        const double turnStart = threadCpuSeconds();
        const long due = long(double(turn) * rate / 1000.0);
        if (due > feeder.fed)
            feeder.feed(int(due - feeder.fed));
        app.processEvents();
        longestTurnMs = std::max(longestTurnMs, (threadCpuSeconds() - turnStart) * 1000.0);
        if (turn % 60000 == 0)
            std::printf("   %4ld s: resident %.1f MB\n", turn / 1000, residentMegabytes()), std::fflush(stdout);
    }
    const double cpu = threadCpuSeconds() - cpuStart;
    const double rssEnd = residentMegabytes();

    std::printf("2. live: %d feedback frames/s for %d s of stream, one event-loop turn per ms (%ld frames, %.0f s wall)\n",
                rate, seconds, feeder.fed, double(wall.elapsed()) / 1000.0);
    std::printf("   GUI thread busy: %.1f %% of one core (goal <= 30 %%)\n", 100.0 * cpu / seconds);
    std::printf("   longest event-loop turn: %.1f ms (goal < 50 ms)\n", longestTurnMs);
    std::printf("   resident memory: %.1f MB at start, %.1f MB at end, growth %.1f MB\n", rssStart, rssEnd,
                rssEnd - rssStart);
    std::printf("   paragraphs in the view: %d blocks\n", window.ui->textEditCfgInfo->document()->blockCount());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rate = argc > 1 ? std::atoi(argv[1]) : adapterMaximumRate;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    const bool liveOnly = argc > 3 && QByteArray(argv[3]) == "live";

    if (!liveOnly) {
        MainWindow window;
        window.languageEnglish = true;
        window.resize(1280, 800);
        window.show();
        costPerFrame(app, window);
    }
    if (seconds > 0) {
        MainWindow window;
        window.languageEnglish = true;
        window.resize(1280, 800);
        window.show();
        app.processEvents();
        liveRun(app, window, rate, seconds);
    }
    return 0;
}
