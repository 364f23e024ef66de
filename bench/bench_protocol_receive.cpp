// Receive path throughput (chunks of feedback lines through getSerialData:
// cutting, decoding, the status handler; no window attached), the cost of
// building and emitting one command line, and the CPU the idle loop uses.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <ctime>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"

namespace {

double processCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QByteArray feedbackLine(int i)
{
    CanFrame frame;
    frame.id = codec::makeId(2, hostId, uint16_t(0x8000 | (i % 127 + 1)));
    frame.length = 8;
    const uint16_t p = uint16_t(i * 37), v = uint16_t(i * 11), t = uint16_t(i * 5);
    const uint8_t data[8] = {uint8_t(p >> 8), uint8_t(p), uint8_t(v >> 8), uint8_t(v), uint8_t(t >> 8), uint8_t(t), 0x01, 0x2C};
    for (int k = 0; k < 8; ++k)
        frame.data[k] = data[k];
    return adapterline::encodeDataLine(frame);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    // 1. Receive path.
    otaThread worker;
    quint64 feedbacks = 0;
    QObject::connect(&worker, &otaThread::sendState, [&] { feedbacks += worker.stateCode == stMotorFeedback; });
    QByteArray chunk;
    const int linesPerChunk = 60;  // about what one readyRead delivers at the link's full rate
    for (int i = 0; i < linesPerChunk; ++i)
        chunk += feedbackLine(i);
    const int rounds = 40000;
    // Chunks rarely end on a line boundary: split each in two at an odd offset.
    const QByteArray head = chunk.left(chunk.size() / 2 + 5), tail = chunk.mid(chunk.size() / 2 + 5);
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r) {
        worker.getSerialData(head);
        worker.getSerialData(tail);
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double lines = double(rounds) * linesPerChunk;
    const double linkLines = 921600.0 / 10.0 / 17.0;
    std::printf("receive path: %.0f lines/s (%.0f x the adapter link's %.0f lines/s), %llu feedback notifications\n",
                lines / seconds, lines / seconds / linkLines, linkLines, static_cast<unsigned long long>(feedbacks));

    // 2. One command line built and emitted.
    quint64 bytesOut = 0;
    QObject::connect(&worker, &otaThread::WriteToSerial, [&](QByteArray d, qint16) { bytesOut += quint64(d.size()); });
    worker.targetId = 1;
    const int commands = 1000000;
    timer.restart();
    for (int i = 0; i < commands; ++i)
        worker.execute(cmdResetMode);
    std::printf("command line: %.0f ns per built and emitted line (%llu bytes)\n",
                double(timer.nsecsElapsed()) / commands, static_cast<unsigned long long>(bytesOut));
    worker.execute(cmdIdle);

    // 3. The loop idle for two seconds.
    worker.start();
    QThread::msleep(100);
    const double cpuBefore = processCpuSeconds();
    timer.restart();
    QThread::msleep(2000);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall = double(timer.nsecsElapsed()) / 1e9;
    std::printf("idle run loop: %.3f%% of one core\n", 100.0 * cpu / wall);
    worker.stop();
    worker.wait();
    return 0;
}
