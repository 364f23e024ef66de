// torvane-demo: the window with a simulated adapter and drives already in the
// port list. With --tour DIR it runs a short scripted session and saves a
// screenshot of the window after each step.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <vector>

#include "app/mainwindow.h"
#include "sim/simulator.h"

namespace {

struct TourStep {
    QString name;
    std::function<void()> act;
    std::function<bool()> done;  // polled until true (or the step's time runs out)
    int timeoutMs;
};

class Tour : public QObject {
public:
    Tour(MainWindow& window, QString dir) : window(window), dir(std::move(dir)) {}

    std::vector<TourStep> steps;

    void start()
    {
        QDir().mkpath(dir);
        next();
    }

private:
    void next()
    {
        if (index >= steps.size()) {
            QApplication::quit();
            return;
        }
        TourStep& step = steps[index];
        if (step.act)
            step.act();
        clock.start();
        poll();
    }
    void poll()
    {
        TourStep& step = steps[index];
        if ((step.done && !step.done()) && clock.elapsed() < step.timeoutMs) {
            QTimer::singleShot(50, this, [this] { poll(); });
            return;
        }
        // Let the window repaint before the picture is taken.
        QTimer::singleShot(300, this, [this] {
            const QString file = QString("%1/%2-%3.png").arg(dir).arg(index + 1, 2, 10, QChar('0')).arg(steps[index].name);
            window.grab().save(file);
            ++index;
            next();
        });
    }

    MainWindow& window;
    QString dir;
    size_t index = 0;
    QElapsedTimer clock;
};

QAbstractButton* button(MainWindow& w, const char* name)
{
    return w.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    Simulator sim;
    sim.drives.clear();
    for (int k = 1; k <= 3; ++k) {
        SimDriveConfig drive;
        drive.canId = uint8_t(k);
        drive.mcuId = 0x5A17C0DE00000000ull + uint64_t(k);
        sim.drives.push_back(drive);
    }
    const QString port = sim.start();

    MainWindow window;
    auto* ports = window.findChild<QComboBox*>("comboBoxCom");
    ports->insertItem(0, port);
    ports->setCurrentIndex(0);
    window.show();

    const QStringList args = app.arguments();
    const int tourAt = args.indexOf("--tour");
    std::unique_ptr<Tour> tour;
    if (tourAt >= 0 && tourAt + 1 < args.size()) {
        tour = std::make_unique<Tour>(window, args[tourAt + 1]);
        tour->steps = {
            {"window", nullptr, nullptr, 0},
            {"adapter-ready", [&] { button(window, "pushButtonOpenCom")->click(); },
             [&] { return button(window, "pushButtonGetDevInfo")->isEnabled(); }, 8000},
            {"drive-detected", [&] { button(window, "pushButtonGetDevInfo")->click(); },
             [&] { return window.findChild<QComboBox*>("comboBoxDev")->count() > 0; }, 4000},
            {"enabled", [&] { button(window, "pushButtonCfgMotor")->click(); }, [] { return false; }, 600},
            {"reporting", [&] { button(window, "pushButton_17")->click(); }, [] { return false; }, 800},
            {"stopped", [&] {
                 button(window, "pushButton_17")->click();
                 button(window, "pushButtonCfgReset")->click();
             }, [] { return false; }, 600},
        };
        QTimer::singleShot(500, tour.get(), [&] { tour->start(); });
    }
    const int code = app.exec();
    sim.stop();
    return code;
}
