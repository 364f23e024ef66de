// A 64 KiB firmware image (8,192 blocks) sent to the simulated drive over the
// pseudo-terminal: total time, its ratio to the pacing floor of 8,192 x 1 ms,
// and how often the progress bar repainted meanwhile.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <functional>

#include "sim/simbootloader.h"
#include "support/e2e.h"

namespace {
// The worker's own waits; each pause after a block timed, or left out with BENCH_NO_PAUSE.
struct TimedPauses : Clock {
    Clock* real = nullptr;
    bool skip = false;
    QElapsedTimer clock;
    qint64 inPause = 0, pauses = 0;
    int64_t nowMs() override { return real->nowMs(); }
    void sleepFor(unsigned ms) override { real->sleepFor(ms); }
    void idleWait() override { real->idleWait(); }
    void blockPause() override
    {
        const qint64 start = clock.nsecsElapsed();
        if (!skip)
            real->blockPause();
        inPause += clock.nsecsElapsed() - start;
        ++pauses;
    }
};

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TimedPauses timed;  // outlives the rig's worker
    SimulatedRig rig;
    if (!rig.start() || !rig.openAndHandshake()) {
        std::fprintf(stderr, "bench_upgrade: the simulated adapter did not come up\n");
        return 1;
    }
    rig.window->show();
    QTemporaryFile file;
    file.open();
    QByteArray image(65536, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    file.write(image);
    file.flush();
    const QString path = file.fileName();
    rig.dialogs.openFileName = [path](const QString&, const QString&, const QString&) { return path; };
    rig.click("pushButtonGetDevInfo");
    if (!QTest::qWaitFor([&] { return rig.widget<QComboBox>("comboBoxDev")->count() == 1; }, 5000)) {
        std::fprintf(stderr, "bench_upgrade: the simulated drive was not detected\n");
        return 1;
    }
    rig.click("pushButtonOpenFile");
    rig.click("pushButtonInOtaMode");
    if (!QTest::qWaitFor([&] { return rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(); }, 5000)) {
        std::fprintf(stderr, "bench_upgrade: the drive did not enter upgrade mode\n");
        return 1;
    }

    // Where a block's time goes: inside the pause after sending it, or outside (reply, decoding, repaint).
    timed.real = &rig.window->worker.realTime();
    timed.skip = qEnvironmentVariableIsSet("BENCH_NO_PAUSE");
    timed.clock.start();
    rig.window->worker.setClock(&timed);
    PaintCounter counter;
    rig.widget<QProgressBar>("progressBar")->installEventFilter(&counter);
    const QString done = QString::fromUtf8("升级成功！");
    QElapsedTimer timer;
    timer.start();
    rig.click("pushButtonStartOta");
    // A real event loop: QTest's waiting sleeps between its polls.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (rig.widget<QLabel>("labelOtaInfo")->text() == done || timer.elapsed() > 120000)
            loop.quit();
    });
    check.start(5);
    loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QByteArray assembled;
    rig.sim.runOnSimThread([&] { assembled = rig.sim.drive(0)->feature<SimBootloader>()->assembled(); });
    std::printf("upgrade of 64 KiB (8192 blocks): %.3f s, %.2f x the 8.192 s pacing floor, %d progress-bar repaints, image %s\n",
                seconds, seconds / 8.192, counter.paints, assembled == image ? "verified" : "DIFFERS");
    if (timed.pauses > 0)
        std::printf("per block: %.1f us in the pause, %.1f us outside it\n", double(timed.inPause) / timed.pauses / 1e3,
                    (double(timer.nsecsElapsed()) - double(timed.inPause)) / timed.pauses / 1e3);
    return assembled == image ? 0 : 1;
}
