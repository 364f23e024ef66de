// torvane-demo: the window with a simulated adapter and drives already in the
// port list. With --tour DIR it runs a short scripted session (detection,
// enable, reporting, a turning drive in the live status, the parameter table,
// the oscilloscope running, frozen with cursors and stopped, then the same in
// English) and saves a screenshot of the window after each step.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "scope/wavedisplay.h"
#include "sim/simparamtable.h"
#include "sim/simulator.h"
#include "ui/mainwindow.h"

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
            // an open dialog is what the step shows
            auto* dialog = window.findChild<QDialog*>("dialogParaCompare");
            (dialog && dialog->isVisible() ? dialog->grab() : window.grab()).save(file);
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

void showTab(MainWindow& w, const char* name)
{
    auto* tabs = w.findChild<QTabWidget*>("tabWidget");
    tabs->setCurrentWidget(tabs->findChild<QWidget*>(QString::fromLatin1(name)));
}

bool labelIs(MainWindow& w, const char* name, const char* english, const char* chinese)
{
    return w.findChild<QLabel*>(QString::fromLatin1(name))->text() == w.pick({english, chinese});
}

// Four variables of the drive's table at 500 Hz: a byte, a float, two 16-bit words.
void configureScope(MainWindow& w)
{
    showTab(w, "tab_Oscilloscope");
    const int variables[4] = {1, 3, 6, 7};
    for (int c = 0; c < 4; ++c)
        w.findChild<QComboBox*>(QStringLiteral("comboBoxCh%1").arg(c + 1))->setCurrentIndex(variables[c]);
    w.findChild<QLineEdit*>("lineEditSetEchoFre")->setText(QStringLiteral("500"));
    button(w, "pushButtonEchoSet")->click();
}

// The running plot frozen, with cursors A and B a third and two thirds across it.
void freezeWithCursors(MainWindow& w)
{
    button(w, "pushButtonScopeFreeze")->click();
    button(w, "pushButtonScopeCursors")->click();
    auto* plot = w.findChild<waveDisplay*>("waveShow");
    const QCPRange shown = plot->xAxis->range();
    plot->placeCursor(0, shown.lower + shown.size() / 3);
    plot->placeCursor(1, shown.lower + shown.size() * 2 / 3);
}

void untoggle(MainWindow& w, const char* name)
{
    if (button(w, name)->isChecked())
        button(w, name)->click();
}

// The steps from a detected drive to a running oscilloscope; `suffix` names the language.
std::vector<TourStep> tableAndScope(MainWindow& w, const QString& suffix)
{
    return {
        {"parameter-table" + suffix, [&w] { showTab(w, "tab_setPara"); button(w, "pushButtonRefreshTable")->click(); },
         [&w] { return labelIs(w, "labelParaInfo", "Update parameter table successfully!", "更新参数表成功！"); }, 10000},
        {"scope-configured" + suffix, [&w] { configureScope(w); },
         [&w] { return button(w, "pushButtonEchoStart")->isEnabled(); }, 4000},
        {"scope-running" + suffix, [&w] { button(w, "pushButtonEchoStart")->click(); }, [] { return false; }, 3000},
        {"scope-frozen-cursors" + suffix, [&w] { freezeWithCursors(w); }, [] { return false; }, 800},
        {"scope-stopped" + suffix, [&w] {
             untoggle(w, "pushButtonScopeCursors");
             untoggle(w, "pushButtonScopeFreeze");
             button(w, "pushButtonEchoStart")->click();
         },
         [&w] { return labelIs(w, "label_selChInfo", "A winner never stops trying", "成功停止"); }, 3000},
    };
}

// The tour's file dialogs answer its one parameter file.
struct TourDialogs : WidgetDialogs {
    TourDialogs(QWidget* parent, const QString& path) : WidgetDialogs(parent), path(path) {}
    QString askOpenFileName(const QString&, const QString&, const QString&) override { return path; }
    QString askSaveFileName(const QString&, const QString&, const QString&) override { return path; }
    QString path;
};

// The drive's settings saved, changed on the drive, compared with the file and written back.
std::vector<TourStep> parameterFile(MainWindow& w, Simulator& sim, const QString& path)
{
    const auto dialogs = std::make_shared<TourDialogs>(&w, path);
    return {
        {"parameter-file-saved", [&w, &sim, dialogs] {
             showTab(w, "tab_setPara");
             w.setDialogs(dialogs.get());
             button(w, "pushButtonSaveParaFile")->click();
             sim.runOnSimThread([&sim] {
                 auto* table = sim.drive(0)->feature<SimParamTable>();
                 table->kinds[0][1].value = QByteArray("Bench 9").leftJustified(16, '\0');
                 table->kinds[2][3].value = SimParamTable::encode(0, 25);
                 table->kinds[2][5].value = SimParamTable::encode(6, 27.5);
                 table->kinds[2][6].value = SimParamTable::encode(6, 3);
             });
             button(w, "pushButtonReadPara")->click();
         }, [&w] { return labelIs(w, "labelParaInfo", "All parameters were read successfully!", "成功读取所有参数！"); }, 8000},
        {"parameter-compare", [&w] {
             // the dialog runs its own loop: the tour goes on inside it
             QTimer::singleShot(0, &w, [&w] { button(w, "pushButtonLoadParaFile")->click(); });
         }, [&w] { return w.findChild<QDialog*>("dialogParaCompare") != nullptr; }, 3000},
        {"parameter-compare-applied", [&w] { button(w, "pushButtonApplyCompare")->click(); }, [] { return false; }, 600},
        {"parameter-file-written", [&w] {
             w.findChild<QDialog*>("dialogParaCompare")->accept();
             button(w, "pushButtonWritePara")->click();
         }, [&w] { return labelIs(w, "labelParaInfo", "All parameters saved successfully!", "所有参数保存成功！"); }, 8000},
    };
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
            // velocity mode at 5 rad/s: the live status shows the drive turning
            {"live-status", [&] {
                 window.findChild<QComboBox*>("comboBoxRunMode")->setCurrentText(QString::fromUtf8("速度模式"));
                 window.findChild<QLineEdit*>("lineEditSetVel_2")->setText(QStringLiteral("5"));
                 button(window, "pushButton_8")->click();
             }, [&] { return window.findChild<QLabel*>("labelLiveVelocity")->text().toDouble() > 4.99; }, 3000},
            {"stopped", [&] {
                 button(window, "pushButton_17")->click();
                 button(window, "pushButtonCfgReset")->click();
             }, [] { return false; }, 600},
        };
        for (TourStep& step : tableAndScope(window, QString()))
            tour->steps.push_back(step);
        for (TourStep& step : parameterFile(window, sim, args[tourAt + 1] + "/drive-1.json"))
            tour->steps.push_back(step);
        // The language switches while the port is closed.
        tour->steps.push_back({"english", [&] {
                                   button(window, "pushButtonOpenCom")->click();
                                   button(window, "pushButtonlanguage")->click();
                               }, [] { return false; }, 600});
        tour->steps.push_back({"adapter-ready-en", [&] { button(window, "pushButtonOpenCom")->click(); },
                               [&] { return button(window, "pushButtonGetDevInfo")->isEnabled(); }, 8000});
        tour->steps.push_back({"drive-detected-en", [&] { button(window, "pushButtonGetDevInfo")->click(); },
                               [&] { return window.findChild<QComboBox*>("comboBoxDev")->count() > 0; }, 4000});
        for (TourStep& step : tableAndScope(window, "-en"))
            tour->steps.push_back(step);
        QTimer::singleShot(500, tour.get(), [&] { tour->start(); });
    }
    const int code = app.exec();
    sim.stop();
    return code;
}
