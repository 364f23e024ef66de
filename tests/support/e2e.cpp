#include "support/e2e.h"

#include "protocol/framecodec.h"
#include "ui/logview.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>

bool SimulatedRig::start()
{
    if (sim.start().isEmpty())
        return false;
    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
    QObject::connect(window->statusBar(), &QStatusBar::messageChanged, [this](const QString& m) {
        if (!m.isEmpty())
            statusMessages << m;
    });
    auto* ports = widget<QComboBox>("comboBoxCom");
    ports->insertItem(0, sim.linkPath.isEmpty() ? sim.portPath() : sim.linkPath);
    ports->setCurrentIndex(0);
    return true;
}

bool SimulatedRig::openAndHandshake(int timeoutMs)
{
    click("pushButtonOpenCom");
    if (!window->portOpen)
        return false;
    const QString ok = window->pick({"CAN Module configuration successful！", "CAN模块配置成功！"});
    const QString failed = window->pick({"The CAN module configuration failed. Please check the CAN device and its configuration！",
                                         "CAN模块配置失败，请检查CAN设备及配置！"});
    auto* detect = widget<QAbstractButton>("pushButtonGetDevInfo");
    return QTest::qWaitFor([&] { return detect->isEnabled() || statusMessages.contains(failed); }, timeoutMs) &&
           detect->isEnabled();
}

bool SimulatedRig::detect(int drives, int timeoutMs)
{
    click("pushButtonGetDevInfo");
    auto* devices = widget<QComboBox>("comboBoxDev");
    auto* model = widget<QLabel>("label_motortype");
    return QTest::qWaitFor([&] { return devices->count() == drives && !model->text().isEmpty(); }, timeoutMs);
}

bool SimulatedRig::ready()
{
    return start() && openAndHandshake() && detect();
}

bool SimulatedRig::waitForLabel(const char* objectName, const QString& text, int timeoutMs)
{
    auto* label = widget<QLabel>(objectName);
    return QTest::qWaitFor([&] { return label->text() == text; }, timeoutMs);
}

QList<CanFrame> SimulatedRig::framesOfType(uint8_t type) const
{
    QList<CanFrame> out;
    for (const CanFrame& f : sim.framesReceived())
        if (codec::commType(f.id) == type)
            out << f;
    return out;
}

bool SimulatedRig::sawFrame(const std::function<bool(const CanFrame&)>& match, int timeoutMs) const
{
    return QTest::qWaitFor([&] {
        const QList<CanFrame> frames = sim.framesReceived();
        return std::any_of(frames.begin(), frames.end(), match);
    }, timeoutMs);
}

bool SimulatedRig::waitForStatus(const QString& text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return statusMessages.contains(text); }, timeoutMs);
}

QString SimulatedRig::log() const
{
    LogView::of(widget<QTextEdit>("textEditCfgInfo"))->flush();
    return widget<QTextEdit>("textEditCfgInfo")->toPlainText();
}

bool SimulatedRig::waitForLog(const QString& contains, int timeoutMs)
{
    return QTest::qWaitFor([&] { return log().contains(contains); }, timeoutMs);
}

void SimulatedRig::click(const char* objectName)
{
    widget<QAbstractButton>(objectName)->click();
}

SimulatedRig::~SimulatedRig()
{
    window.reset();
    sim.stop();
}
