#include "reactions/livestatus.h"

#include <QComboBox>
#include <QLabel>

#include <memory>

#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace livestatus {

Bilingual ageText(qint64 ageMs)
{
    return QString::number(double(qMax<qint64>(0, ageMs)) / 1000.0, 'f', 1) + Bilingual(" s", " 秒");
}

bool isStale(bool reporting, qint64 silentMs)
{
    return reporting && silentMs >= staleAfterMs;
}

Texts panelTexts(const statustexts::MotorFeedback* feedback, qint64 ageMs, bool stale)
{
    using namespace statustexts;
    Texts t;
    t.stale = stale;
    if (!feedback) {
        t.age = Bilingual("no frame yet", "尚无反馈");
        return t;
    }
    t.position = feedbackNumber(feedback->position);
    t.velocity = feedbackNumber(feedback->velocity);
    t.torque = feedbackNumber(feedback->torque);
    t.temperature = feedbackNumber(feedback->temperature);
    t.mode = modeName(feedback->mode);
    t.faulty = !feedback->noFault;
    // The log's fault texts, each after a slash; the panel leaves out the first one.
    t.fault = t.faulty ? feedbackFaultTexts(feedback->faultFlags, false).mid(1) : Bilingual("none", "无");
    t.age = ageText(ageMs);
    return t;
}

}  // namespace livestatus

LiveStatus::LiveStatus(const LiveStatusLabels& l, std::function<int()> selected, std::function<bool()> reportingOn,
                       std::function<QString(const Bilingual&)> inLanguage)
    : labels(l), selectedDrive(std::move(selected)), reporting(std::move(reportingOn)), pick(std::move(inLanguage))
{
    redrawTimer.setInterval(livestatus::redrawPeriodMs);
    connect(&redrawTimer, &QTimer::timeout, this, [this] { redraw(); });
    empty();
}

void LiveStatus::record(const statustexts::MotorFeedback& feedback)
{
    Last& entry = last[feedback.sourceId];
    entry.seen = true;
    entry.feedback = feedback;
    entry.atMs = clock->nowMs();
}

void LiveStatus::selectionChanged(bool listed)
{
    if (!listed) {
        redrawTimer.stop();
        last.fill(Last());
        empty();
        return;
    }
    redraw();
    redrawTimer.start();
}

void LiveStatus::empty()
{
    for (QLabel* label : {labels.position, labels.velocity, labels.torque, labels.temperature, labels.mode,
                          labels.fault, labels.age}) {
        label->clear();
        setTone(label, Tone::neutral);
    }
}

void LiveStatus::redraw()
{
    using namespace livestatus;
    const int id = selectedDrive();
    if (id < 0 || id >= int(last.size())) {
        empty();
        return;
    }
    const qint64 now = clock->nowMs();
    const bool on = reporting();
    if (on && !wasReporting)
        reportingSinceMs = now;
    wasReporting = on;

    const Last& entry = last[size_t(id)];
    const qint64 silent = now - (entry.seen && (!on || entry.atMs > reportingSinceMs) ? entry.atMs : reportingSinceMs);
    const Texts t = panelTexts(entry.seen ? &entry.feedback : nullptr, now - entry.atMs, isStale(on, silent));
    labels.position->setText(t.position);
    labels.velocity->setText(t.velocity);
    labels.torque->setText(t.torque);
    labels.temperature->setText(t.temperature);
    labels.mode->setText(pick(t.mode));
    labels.fault->setText(pick(t.fault));
    setTone(labels.fault, !entry.seen ? Tone::neutral : t.faulty ? Tone::failure : Tone::success);
    labels.age->setText(pick(t.age));
    setTone(labels.age, t.stale ? Tone::failure : Tone::neutral);
}

void MainWindow::setUpLiveStatus()
{
    const LiveStatusLabels labels{ui->labelLivePosition, ui->labelLiveVelocity, ui->labelLiveTorque,
                                  ui->labelLiveTemperature, ui->labelLiveMode, ui->labelLiveFault,
                                  ui->labelLiveAge};
    const auto selected = [this] {
        const int index = ui->comboBoxDev->currentIndex();
        return index >= 0 && index < maxDevices ? int(worker.deviceIds[index]) : -1;
    };
    liveStatus = std::make_unique<LiveStatus>(labels, selected, [this] { return !reportIdle; },
                                              [this](const Bilingual& text) { return pick(text); });
    // Runs on every clear of the list (index -1) and on every change of the selected drive.
    connect(ui->comboBoxDev, QOverload<int>::of(&QComboBox::currentIndexChanged), liveStatus.get(),
            [this](int index) { liveStatus->selectionChanged(index >= 0 && index < maxDevices); });
}
