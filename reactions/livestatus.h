#pragma once
// The live status panel: the last feedback of the drive selected in the
// device list, one label per value, redrawn at most 20 times a second, with
// the age of the frame that turns red while reporting is on and frames have
// stopped. The texts come from the feedback line's own formats.

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>

#include "protocol/clock.h"
#include "ui/statustexts.h"

class QLabel;

namespace livestatus {

constexpr int redrawPeriodMs = 50;     // 20 redraws a second at most
constexpr qint64 staleAfterMs = 1000;  // reporting is on and nothing came for this long

struct Texts {
    QString position, velocity, torque, temperature;
    Bilingual mode, fault, age;
    bool faulty = false;  // fault flags set
    bool stale = false;   // the age is shown in red
};

// `feedback` is null while the drive has sent no frame; `ageMs` is the age of its last frame.
Texts panelTexts(const statustexts::MotorFeedback* feedback, qint64 ageMs, bool stale);
Bilingual ageText(qint64 ageMs);
// Reporting is on and `silentMs` (since the later of the last frame and the switch-on) reached a second.
bool isStale(bool reporting, qint64 silentMs);

}  // namespace livestatus

struct LiveStatusLabels {
    QLabel* position = nullptr;
    QLabel* velocity = nullptr;
    QLabel* torque = nullptr;
    QLabel* temperature = nullptr;
    QLabel* mode = nullptr;
    QLabel* fault = nullptr;
    QLabel* age = nullptr;
};

class LiveStatus : public QObject {
public:
    // `selectedDrive` gives the CAN id of the drive selected in the list (-1: none),
    // `reporting` whether periodic reporting is on, `pick` the text in the window's language.
    LiveStatus(const LiveStatusLabels& labels, std::function<int()> selectedDrive, std::function<bool()> reporting,
               std::function<QString(const Bilingual&)> pick);

    // A feedback frame as the log shows it.
    void record(const statustexts::MotorFeedback& feedback);
    // The device list was emptied (no drive) or another drive was selected.
    void selectionChanged(bool listed);
    // Writes the labels from the last frame of the selected drive.
    void redraw();

    // Where the frames' ages are read; tests set virtual time.
    void setClock(Clock* replacement) { clock = replacement; }

private:
    void empty();
    struct Last {
        bool seen = false;
        statustexts::MotorFeedback feedback;
        qint64 atMs = 0;
    };
    std::array<Last, 256> last{};
    LiveStatusLabels labels;
    std::function<int()> selectedDrive;
    std::function<bool()> reporting;
    std::function<QString(const Bilingual&)> pick;
    bool wasReporting = false;
    qint64 reportingSinceMs = 0;
    QTimer redrawTimer;
    Clock* clock = &SystemClock::instance();
};
