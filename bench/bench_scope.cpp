// The oscilloscope at the drive's worst case: six one-byte channels at
// 2600 Hz, one frame per sample, ten-second windows of 26,000 points, about
// 50 emissions per second, the plot as large as the window maximised on a
// 1920×1080 screen makes it.
// 1. CPU time of receiving, decoding, window upkeep and emission per second
//    of stream (the windows already full), goal under 5% of one core.
// 2. One batch adopted and replotted, median of 200, smooth and noisy traces:
//    the plain graph against the envelope graph on the same data, in CPU
//    time; goal 3 ms.
// 3. The GUI thread live at that rate for both plots and both traces:
//    goal at most 15% busy, every sample decoded and in the wave file.
// Usage: bench_scope ["envelope"]: the argument leaves the plain graph out.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"

namespace {

constexpr int frequency = 2600;
constexpr int channels = 6;
constexpr int perBatch = frequency / 50;

double processCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

uint8_t sampleValue(int n, int c, bool noisy)
{
    if (noisy)  // current and torque as they look: noise over the whole range
        return uint8_t((n * 7919 + c * 104729) % 200);
    // the traces an engineer watches: sines of 0.5 to 5 Hz, a ramp, a square
    const double t = double(n) / frequency;
    const double pi = 3.14159265358979323846;
    const double shapes[channels] = {std::sin(2 * pi * 0.5 * t), std::sin(2 * pi * 1 * t), std::sin(2 * pi * 2 * t),
                                     std::sin(2 * pi * 5 * t), 2 * (t / 2 - std::floor(t / 2)) - 1,
                                     std::fmod(t, 1.0) < 0.5 ? 1.0 : -1.0};
    return uint8_t(std::lround(128 + 100 * shapes[c]));
}

QByteArray sampleLine(int n, bool noisy)
{
    CanFrame frame;
    frame.id = codec::makeId(10, hostId, uint16_t(1 | 2 << 8));
    frame.length = 8;
    codec::writeLe16(frame.data, uint16_t(n * 19));  // 20 µs ticks: about 1/2600 s
    for (int c = 0; c < channels; ++c)
        frame.data[2 + c] = sampleValue(n, c, noisy);
    return adapterline::encodeDataLine(frame);
}

void configure(otaThread& worker)
{
    worker.scopeFrequency = frequency;
    worker.scopeChannelCount = channels;
    for (int c = 0; c < channels; ++c) {
        worker.scopeChannels[c] = uint8_t(c);
        worker.channelCodes[c] = uint16_t(0x2003 + c);
        worker.channelTypes[c] = vtUint8;
    }
    worker.sampleBytes = 2 + channels;
    worker.scopeConfigCursor = 8;
    CanFrame reply;
    reply.id = codec::makeId(10, hostId, uint16_t(1 | 1 << 8));
    reply.length = 8;
    worker.getSerialData(adapterline::encodeDataLine(reply));
    worker.tickMicros = 20.0f;
}

// What the plot showed before the envelope: eight plain graphs with the same
// pens, adopting each window and fitting the axes to all of them.
class PlainScope : public QCustomPlot {
public:
    PlainScope()
    {
        for (int k = 0; k < 8; ++k) {
            QCPGraph* graph = addGraph();
            graph->setPen(QPen(waveDisplay::channelColors[k], 1));
            graph->setAntialiased(false);
            graph->setVisible(k < channels);
        }
        setBackground(QBrush(QColor(250, 250, 250)));
    }
    void showSamples(QVector<QCPGraphData>* windows)
    {
        for (int k = 0; k < channels; ++k) {
            graph(k)->data()->set(windows[k], true);
            graph(k)->rescaleAxes(k > 0);
        }
        replot(QCustomPlot::rpQueuedReplot);
    }
};

// The plot's size in the window maximised on a 1920×1080 screen (less a 40-pixel task bar).
QSize maximisedPlotSize()
{
    MainWindow window;
    window.resize(1920, 1040);
    window.findChild<QTabWidget*>("tabWidget")->setCurrentWidget(window.findChild<QWidget*>("tab_Oscilloscope"));
    window.show();
    QCoreApplication::processEvents();
    return window.findChild<waveDisplay*>("waveShow")->size();
}

// Consecutive windows of full length, one batch apart, for `count` batches.
struct Batches {
    QVector<QCPGraphData> stream[channels];
    int count = 0;
    Batches(bool noisy, int batches) : count(batches)
    {
        const int total = 10 * frequency + batches * perBatch;
        for (int c = 0; c < channels; ++c) {
            stream[c].reserve(total);
            for (int n = 0; n < total; ++n)
                stream[c].append(QCPGraphData(n * 19 * 20e-6, sampleValue(n, c, noisy)));
        }
    }
    void window(int batch, QVector<QCPGraphData>* windows) const
    {
        for (int c = 0; c < channels; ++c)
            windows[c] = stream[c].mid(batch * perBatch, 10 * frequency);
    }
};

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median CPU time of adopting one batch and replotting at once, over
// `batches.count` batches: CPU time, so that other load on the machine does not count.
template <class Plot>
double replotMedianMs(Plot& plot, const Batches& batches)
{
    QVector<QCPGraphData> windows[8];
    batches.window(0, windows);
    plot.showSamples(windows);
    plot.replot(QCustomPlot::rpImmediateRefresh);
    QVector<double> times;
    for (int b = 1; b < batches.count; ++b) {
        batches.window(b, windows);
        const double start = processCpuSeconds();
        plot.showSamples(windows);
        plot.replot(QCustomPlot::rpImmediateRefresh);  // what the queued replot then does
        times << (processCpuSeconds() - start) * 1e3;
    }
    return median(times);
}

struct Live {
    double busy = 0;
    double replotsPerSecond = 0;
    double emissionsPerSecond = 0;
    uint32_t decoded = 0;
    int due = 0;
    qint64 waveLines = 0;
};

// The whole GUI thread for four seconds: every 10 ms a read of all lines due
// by the clock, decoding, the wave file, emissions into the plot, its replots.
Live runLive(otaThread& worker, QCustomPlot& plot, const std::function<void(QVector<QCPGraphData>*)>& show,
             bool noisy, const QString& wavePath)
{
    const int perRead = frequency / 100;
    QVector<QByteArray> reads;
    for (int r = 0, n = 0; r < 100; ++r) {
        QByteArray chunk;
        for (int i = 0; i < perRead; ++i)
            chunk += sampleLine(n++, noisy);
        reads << chunk;
    }
    for (int s = 0; s < 10; ++s)  // full windows first
        for (const QByteArray& chunk : reads)
            worker.getSerialData(chunk);

    worker.waveFile.setFileName(wavePath);
    worker.waveFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
    worker.waveSaving = true;
    int replotCount = 0;
    int emissionCount = 0;
    const QMetaObject::Connection emitted =
        QObject::connect(&worker, &otaThread::scopeToShow, [&](QVector<QCPGraphData>*) { ++emissionCount; });
    const QMetaObject::Connection counted = QObject::connect(&plot, &QCustomPlot::afterReplot, [&] { ++replotCount; });
    const QMetaObject::Connection shown = QObject::connect(&worker, &otaThread::scopeToShow, &plot, show);
    int next = 0;
    QElapsedTimer wall;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        while (next < wall.elapsed() / 10)
            worker.getSerialData(reads[next++ % reads.size()]);
    });
    Live live;
    const uint32_t decoded0 = worker.decodedSamples;
    const double cpu0 = processCpuSeconds();
    wall.start();
    feed.start(10);
    QEventLoop loop;
    QTimer::singleShot(4000, &loop, &QEventLoop::quit);
    loop.exec();
    feed.stop();
    live.busy = (processCpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000);
    live.replotsPerSecond = replotCount * 1000.0 / wall.elapsed();
    live.emissionsPerSecond = emissionCount * 1000.0 / wall.elapsed();
    QObject::disconnect(emitted);
    QObject::disconnect(shown);
    QObject::disconnect(counted);
    live.decoded = worker.decodedSamples - decoded0;
    live.due = next * perRead;
    worker.closeWaveFile();
    QFile wave(wavePath);
    wave.open(QIODevice::ReadOnly);
    live.waveLines = wave.readAll().count("\r\n");
    return live;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // "envelope" as argument leaves the plain graph out, for profiling the envelope alone.
    const bool envelopeOnly = argc > 1 && QByteArray(argv[1]) == "envelope";

    // 1. The stream, ten milliseconds of lines per read as the port delivers them.
    otaThread worker;
    configure(worker);
    int emissions = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&worker, &otaThread::scopeToShow, [&](QVector<QCPGraphData>*) { ++emissions; });
    const int perRead = frequency / 100;
    QVector<QByteArray> reads;
    for (int r = 0, n = 0; r < 100; ++r) {
        QByteArray chunk;
        for (int i = 0; i < perRead; ++i)
            chunk += sampleLine(n++, false);
        reads << chunk;
    }
    for (int s = 0; s < 10; ++s)  // ten seconds fill the windows
        for (const QByteArray& chunk : reads)
            worker.getSerialData(chunk);
    const int seconds = 30;
    emissions = 0;
    const double cpu0 = processCpuSeconds();
    for (int s = 0; s < seconds; ++s)
        for (const QByteArray& chunk : reads)
            worker.getSerialData(chunk);
    const double cpu = processCpuSeconds() - cpu0;
    QObject::disconnect(counting);
    std::printf("scope stream: %d channels at %d Hz, %d s of samples (%u decoded, %d emissions/s)\n", channels,
                frequency, seconds, worker.decodedSamples, emissions / seconds);
    std::printf("  window points per channel: %u (capacity %u)\n", worker.sampleWindows[0].size(),
                worker.windowCapacity);
    std::printf("  CPU per second of stream: %.2f ms = %.2f%% of one core (goal < 5%%)\n", cpu / seconds * 1e3,
                cpu / seconds * 100);

    // 2. One batch adopted and replotted, the two plots on the same windows.
    const QSize size = maximisedPlotSize();
    std::printf("plot size in the window maximised on 1920x1080: %dx%d\n", size.width(), size.height());
    PlainScope plain;
    waveDisplay envelope;
    for (QCustomPlot* plot : {static_cast<QCustomPlot*>(&plain), static_cast<QCustomPlot*>(&envelope)}) {
        plot->resize(size);
        plot->show();
    }
    envelope.setActiveChannels(worker.scopeChannels, channels);
    QCoreApplication::processEvents();
    for (const bool noisy : {false, true}) {
        const Batches batches(noisy, 201);
        const double plainMs = envelopeOnly ? 0.0 : replotMedianMs(plain, batches);
        const double envelopeMs = replotMedianMs(envelope, batches);
        std::printf("replot, %s traces, six windows of %d points (median of %d): plain graph %.2f ms, "
                    "envelope %.2f ms, ratio %.1fx (goal <= 3 ms)\n",
                    noisy ? "noisy" : "smooth", 10 * frequency, batches.count - 1, plainMs, envelopeMs,
                    plainMs / envelopeMs);
    }

    // 3. The GUI thread live. The replots queued by part 2's batches run first, outside the figures.
    QCoreApplication::processEvents();
    QTemporaryDir dir;
    for (const bool noisy : {false, true}) {
        for (const bool useEnvelope : {false, true}) {
            if (envelopeOnly && !useEnvelope)
                continue;
            QCustomPlot* plot = useEnvelope ? static_cast<QCustomPlot*>(&envelope) : &plain;
            const auto show = [&](QVector<QCPGraphData>* w) {
                if (useEnvelope)
                    envelope.showSamples(w);
                else
                    plain.showSamples(w);
            };
            const Live live = runLive(worker, *plot, show, noisy, dir.filePath(QStringLiteral("wave.txt")));
            std::printf("live, %s traces, %s: GUI thread %.1f%% busy (goal <= 15%%), %.0f replots/s of %.0f emissions/s, "
                        "%u samples decoded of %d due, %lld wave lines\n",
                        noisy ? "noisy" : "smooth", useEnvelope ? "envelope" : "plain graph", live.busy * 100,
                        live.replotsPerSecond, live.emissionsPerSecond, live.decoded, live.due, static_cast<long long>(live.waveLines));
        }
    }
    return 0;
}
