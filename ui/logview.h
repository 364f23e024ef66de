#pragma once
// The log view `textEditCfgInfo` as the program writes it: paragraphs raised
// within one turn of the event loop, or within one screen picture's time, are
// shown together, with one cursor operation and one scroll; the view keeps the
// latest paragraphs only; a running capture receives every paragraph at the
// end of the turn that raised it, so nothing that leaves the view is lost.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <cstdint>
#include <deque>
#include <limits>
#include <functional>

#include "protocol/clock.h"
#include "protocol/recordfile.h"

class QFile;
class QTextEdit;

class LogView : public QObject {
    Q_OBJECT

public:
    static constexpr int keptParagraphs = 10000;
    static constexpr int trimStep = 1000;  // the view holds up to this many more before the oldest go
    static constexpr int showInterval = 40;  // ms: paragraphs raised sooner after a batch wait for the next
    static constexpr int memoryReturnInterval = 5000;  // ms between returns of dropped paragraphs' memory

    explicit LogView(QTextEdit* view);
    // The LogView attached to `view`.
    static LogView* of(const QTextEdit* view);

    // One paragraph, captured at the end of this event-loop turn and shown then,
    // or with the next batch when the last one was shown less than `showInterval` ago.
    void append(const QString& paragraph);
    // The same, shown in red: a failure the engineer must not miss.
    void appendFailure(const QString& paragraph);
    // The time that spaces the batches; null for the system's.
    void setClock(Clock* clock);

    // The pending paragraphs reach the capture and the view now.
    void flush();
    // Empties the view; what was raised before is captured first.
    void clear();

    // While set, each batch is written to this file as it is shown. On a write
    // failure the capture ends (the pointer is reset) and `captureFailed` is called.
    QFile* captureFile = nullptr;
    std::function<void(recordfile::WriteFailure)> captureFailed;

    // A paragraph as the view shows its lines, ending with a line break.
    static QString plainText(const QString& paragraph);

private:
    void endOfTurn();
    void capture();
    void show();
    void trimToKept();
    struct Paragraph {
        QString text;
        bool failure;
    };
    void raise(const QString& text, bool failure);
    QTextEdit* view;
    QVector<Paragraph> pending;  // raised, not yet shown
    int capturedCount = 0;       // of them, already written to the capture
    bool turnEndPosted = false;
    std::deque<int> paragraphBlocks;  // blocks each shown paragraph occupies, oldest first
    Clock* clock = &SystemClock::instance();
    int64_t shownAt = std::numeric_limits<int64_t>::min() / 2;  // when the view last received a batch
    QElapsedTimer sinceMemoryReturned;
    QTimer showTimer;          // shows the paragraphs held back
};
