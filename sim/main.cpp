// torvane-sim: the simulated adapter and drives on a pseudo-terminal. Prints
// the port path, then serves until killed. Options: --rate N (the adapter's
// serial rate), --drives N (drives with CAN ids 1..N).

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "sim/simulator.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Simulator sim;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--rate")
            sim.adapterRate = args[i + 1].toInt();
        if (args[i] == "--drives") {
            sim.drives.clear();
            const int count = qBound(1, args[i + 1].toInt(), 14);
            for (int k = 1; k <= count; ++k) {
                SimDriveConfig config;
                config.canId = uint8_t(k);
                config.mcuId = 0x1122334455667700ull + uint64_t(k);
                sim.drives.push_back(config);
            }
        }
    }
    const QString path = sim.start();
    if (path.isEmpty()) {
        std::fprintf(stderr, "torvane-sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    return app.exec();
}
