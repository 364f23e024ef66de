// Figures of the parameter table: building the full 576-row table, the
// receive path's rate on descriptor frames, and a full download from the
// simulated drive at the adapter's line rate.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <cstdio>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "sim/simparamtable.h"
#include "support/e2e.h"

namespace {

void fullTable(SimParamTable& t)
{
    for (auto& kind : t.kinds)
        kind.clear();
    for (int i = 0; i < 32; ++i) {
        const QByteArray name = "String" + QByteArray::number(i);
        t.kinds[0] << SimParamTable::text(name.constData(), "value");
        t.kinds[1] << SimParamTable::text(name.constData(), "version 1.0");
    }
    for (int i = 0; i < 256; ++i) {
        const QByteArray name = "Param" + QByteArray::number(i);
        const uint32_t type = uint32_t(i % 10);
        t.kinds[2] << SimParamTable::number(name.constData(), type, i % 100, -1000, 1000, int8_t(type == 6 || type == 9 ? -2 : 0));
        t.kinds[3] << SimParamTable::number(name.constData(), type, i % 50, 0, 0, 0);
    }
    t.setupCount = 8;
}

// Every descriptor frame of the table, as the adapter delivers the lines.
class Recorder : public SimDriveContext {
public:
    uint8_t canId() const override { return 1; }
    uint64_t mcuId() const override { return 0x1122334455667701ull; }
    void transmit(const CanFrame& frame) override
    {
        CanFrame copy = frame;
        lines += adapterline::encodeDataLine(copy);
        ++frames;
    }
    QByteArray lines;
    int frames = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // 1. receive path on a burst of descriptor lines
    Recorder recorder;
    SimParamTable source(recorder);
    fullTable(source);
    source.framesPerMs = 1000000;
    CanFrame request;
    request.id = codec::makeId(19, 1, 0xFD);
    codec::writeLe64(request.data, recorder.mcuId());
    source.handleFrame(request);
    // the whole stream goes out in the first tick
    if (!QTest::qWaitFor([&] { return recorder.frames > 0; }, 5000)) {
        std::printf("receive path: the table sent nothing\n");
        return 1;
    }
    {
        otaThread worker;
        const int rounds = 20;
        QElapsedTimer clock;
        clock.start();
        for (int r = 0; r < rounds; ++r)
            worker.getSerialData(recorder.lines);
        const double ms = clock.nsecsElapsed() / 1e6;
        std::printf("receive path: %d descriptor frames x %d in %.1f ms = %.0f frames/s (adapter: 5421 lines/s)\n",
                    recorder.frames, rounds, ms, recorder.frames * rounds / (ms / 1000.0));
    }

    // 2. building the full table
    {
        MainWindow window;
        otaThread& w = window.worker;
        w.kindCount[0] = 32;
        w.kindCount[1] = 32;
        w.kindCount[2] = 256;
        w.kindCount[3] = 256;
        w.setupCount = 8;
        for (int i = 0; i < 256; ++i) {
            w.writableParams[i].name = QStringLiteral("Param%1").arg(i);
            w.writableParams[i].valueType = uint32_t(i % 10);
            w.writableParams[i].attribute = 1;
            w.readOnlyParams[i].name = QStringLiteral("Value%1").arg(i);
            w.readOnlyParams[i].valueType = uint32_t(i % 10);
        }
        const int rounds = 10;
        double worst = 0, total = 0;
        for (int r = 0; r < rounds; ++r) {
            window.resetParameterTable();
            QElapsedTimer clock;
            clock.start();
            window.buildParameterRows();
            const double ms = clock.nsecsElapsed() / 1e6;
            worst = qMax(worst, ms);
            total += ms;
        }
        std::printf("table build: 576 rows in %.1f ms on average, %.1f ms at worst (goal: under 50 ms)\n", total / rounds, worst);
    }

    // 3. full download from the simulator over the pseudo-terminal
    {
        SimulatedRig rig;
        if (!rig.start() || !rig.openAndHandshake()) {
            std::printf("download: the simulator did not start\n");
            return 1;
        }
        rig.sim.runOnSimThread([&] { fullTable(*rig.sim.drive(0)->feature<SimParamTable>()); });
        rig.click("pushButtonGetDevInfo");
        if (!QTest::qWaitFor([&] { return rig.widget<QComboBox>("comboBoxDev")->count() == 1; }, 5000)) {
            std::printf("download: no drive detected\n");
            return 1;
        }
        auto* info = rig.widget<QLabel>("labelParaInfo");
        QElapsedTimer clock;
        clock.start();
        rig.click("pushButtonRefreshTable");
        const bool ok = QTest::qWaitFor([&] { return info->text() == QString::fromUtf8("更新参数表成功！"); }, 10000);
        const double ms = clock.nsecsElapsed() / 1e6;
        int frames = 0;
        rig.sim.runOnSimThread([&] { frames = rig.sim.drive(0)->feature<SimParamTable>()->descriptorFramesSent; });
        std::printf("download: %s, %d descriptor frames, %d rows in %.0f ms = %.0f frames/s\n", ok ? "ok" : "FAILED", frames,
                    rig.widget<QTableWidget>("tableWidgetPara")->rowCount(), ms, frames / (ms / 1000.0));
    }
    return 0;
}
