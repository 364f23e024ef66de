#pragma once
// The log view `textEditCfgInfo` as the program writes it: paragraphs raised
// within one turn of the event loop are shown together, with one cursor
// operation and one scroll; the view keeps the latest paragraphs only; a
// running capture receives every paragraph as it is shown, so nothing that
// leaves the view is lost.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <deque>
#include <functional>

#include "protocol/recordfile.h"

class QFile;
class QTextEdit;

class LogView : public QObject {
    Q_OBJECT

public:
    static constexpr int keptParagraphs = 10000;
    static constexpr int trimStep = 1000;  // the view holds up to this many more before the oldest go
    static constexpr int repaintInterval = 40;  // ms: batches closer together are painted together
    static constexpr int memoryReturnInterval = 5000;  // ms between returns of dropped paragraphs' memory

    explicit LogView(QTextEdit* view);
    // The LogView attached to `view`.
    static LogView* of(const QTextEdit* view);

    // One paragraph, shown (and captured) at the end of this event-loop turn.
    void append(const QString& paragraph);
    // The same, shown in red: a failure the engineer must not miss.
    void appendFailure(const QString& paragraph);
    // The pending paragraphs reach the view and the capture now.
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
    void trimToKept();
    void holdRepaint();
    void releaseRepaint();
    struct Paragraph {
        QString text;
        bool failure;
    };
    void raise(const QString& text, bool failure);
    QTextEdit* view;
    QVector<Paragraph> pending;
    bool flushPosted = false;
    std::deque<int> paragraphBlocks;  // blocks each shown paragraph occupies, oldest first
    QElapsedTimer sinceRepaint;        // since the view last painted a batch
    QElapsedTimer sinceMemoryReturned;
    QTimer repaintTimer;               // ends a hold on the view's painting
};
