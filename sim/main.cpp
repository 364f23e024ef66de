// torvane-sim: the simulated adapter and drives on a pseudo-terminal. Prints
// the port path, then serves until killed; see usage below.

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>

#include "sim/simulator.h"

namespace {

const char usage[] =
    "Usage: torvane-sim [--rate N] [--drives N] [--link PATH]\n"
    "Simulates the USB-CAN adapter and the drives behind it on a pseudo-terminal\n"
    "and prints the terminal's path.\n"
    "  --rate N     the adapter's own serial rate (default 921600)\n"
    "  --drives N   drives with CAN ids 1..N (1 to 14, default 1)\n"
    "  --link PATH  keep a symbolic link PATH pointing at the current terminal;\n"
    "               open PATH in Torvane to follow the adapter across replugs\n"
    "Signals:\n"
    "  SIGUSR1          unplug the adapter: the line hangs up and PATH vanishes\n"
    "  SIGUSR2          plug it in again on a new terminal (PATH points at it)\n"
    "  SIGINT, SIGTERM  end the run and remove PATH\n"
    "Each unplug and replug prints a line: \"unplugged\" or \"replugged PATH\".\n";

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[])
{
    // Blocked before any thread starts, so only the signal descriptor sees them.
    sigset_t handledSignals;
    sigemptyset(&handledSignals);
    sigaddset(&handledSignals, SIGUSR1);
    sigaddset(&handledSignals, SIGUSR2);
    sigaddset(&handledSignals, SIGINT);  // these two end the run cleanly: the link is removed
    sigaddset(&handledSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &handledSignals, nullptr);

    QCoreApplication app(argc, argv);
    Simulator sim;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--rate" && hasValue) {
            sim.adapterRate = args[++i].toInt();
        } else if (args[i] == "--link" && hasValue) {
            sim.linkPath = args[++i];
        } else if (args[i] == "--drives" && hasValue) {
            sim.drives.clear();
            const int count = qBound(1, args[++i].toInt(), 14);
            for (int k = 1; k <= count; ++k) {
                SimDriveConfig config;
                config.canId = uint8_t(k);
                config.mcuId = 0x1122334455667700ull + uint64_t(k);
                sim.drives.push_back(config);
            }
        } else {
            std::fprintf(stderr, "torvane-sim: unknown or incomplete option %s\n%s", qPrintable(args[i]), usage);
            return 2;
        }
    }
    const QString path = sim.start();
    if (path.isEmpty()) {
        std::fprintf(stderr, "torvane-sim: cannot open a pseudo-terminal%s\n",
                     sim.linkPath.isEmpty() ? "" : " or create its link");
        return 1;
    }
    say(path);

    const int signalFd = signalfd(-1, &handledSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    QSocketNotifier notifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        signalfd_siginfo info;
        while (read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
            if (info.ssi_signo == SIGINT || info.ssi_signo == SIGTERM) {
                QCoreApplication::quit();
            } else if (info.ssi_signo == SIGUSR1) {
                sim.unplug();
                say(QStringLiteral("unplugged"));
            } else {
                const QString now = sim.replug();
                say(now.isEmpty() ? QStringLiteral("replug failed") : QStringLiteral("replugged ") + now);
            }
        }
    });
    const int code = app.exec();
    close(signalFd);
    return code;
}
