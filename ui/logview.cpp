#include "ui/logview.h"

#include <QFile>
#include <QBrush>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Paragraph breaks inside a text as the view makes them: CR LF, CR, LF, U+2029.
int paragraphBreaks(const QString& text)
{
    int breaks = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator)
            ++breaks;
    }
    return breaks;
}

}  // namespace

LogView::LogView(QTextEdit* v) : QObject(v), view(v)
{
    // An undo history would keep every paragraph ever shown.
    view->document()->setUndoRedoEnabled(false);
    repaintTimer.setSingleShot(true);
    connect(&repaintTimer, &QTimer::timeout, this, &LogView::releaseRepaint);
}

void LogView::holdRepaint()
{
    // A screen shows some tens of pictures a second: batches that come faster
    // are shown in the view at once, but painted together when the hold ends.
    if (!sinceRepaint.isValid() || sinceRepaint.elapsed() >= repaintInterval) {
        sinceRepaint.start();
        return;
    }
    if (repaintTimer.isActive())
        return;
    view->setUpdatesEnabled(false);
    repaintTimer.start(int(repaintInterval - sinceRepaint.elapsed()));
}

void LogView::releaseRepaint()
{
    view->setUpdatesEnabled(true);
    sinceRepaint.start();
}

LogView* LogView::of(const QTextEdit* v)
{
    return v->findChild<LogView*>(QString(), Qt::FindDirectChildrenOnly);
}

void LogView::append(const QString& paragraph)
{
    raise(paragraph, false);
}

void LogView::appendFailure(const QString& paragraph)
{
    raise(paragraph, true);
}

void LogView::raise(const QString& text, bool failure)
{
    pending.append({text, failure});
    if (!flushPosted) {
        flushPosted = true;
        QMetaObject::invokeMethod(this, &LogView::flush, Qt::QueuedConnection);
    }
}

QString LogView::plainText(const QString& paragraph)
{
    QString text = paragraph;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    }
    text += QLatin1Char('\n');
    return text;
}

void LogView::flush()
{
    flushPosted = false;
    if (pending.isEmpty())
        return;
    QTextDocument* document = view->document();

    // The same blocks as one append per paragraph: a break before each
    // paragraph unless the view is still empty. Paragraphs of one colour are
    // inserted as one run.
    holdRepaint();
    const QTextCharFormat usual;  // not the cursor's: that may be red from the line before
    QTextCharFormat red;
    red.setForeground(QBrush(Qt::red));
    QScrollBar* bar = view->verticalScrollBar();
    const bool atBottom = view->isReadOnly() ? bar->value() >= bar->maximum() : view->textCursor().atEnd();
    QTextCursor end(document);
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);

    QString run;
    bool runFailure = false;
    QString captured;
    bool empty = document->isEmpty();
    for (const Paragraph& paragraph : qAsConst(pending)) {
        if (paragraph.failure != runFailure && !run.isEmpty()) {
            end.insertText(run, runFailure ? red : usual);
            run.clear();
        }
        runFailure = paragraph.failure;
        paragraphBlocks.push_back(empty && paragraph.text.isEmpty() ? 0 : 1 + paragraphBreaks(paragraph.text));
        if (!empty)
            run += QLatin1Char('\n');  // the break takes the colour of the paragraph it opens
        run += paragraph.text;
        empty = empty && paragraph.text.isEmpty();
        if (captureFile)
            captured += plainText(paragraph.text);
    }
    if (!run.isEmpty())
        end.insertText(run, runFailure ? red : usual);
    pending.clear();
    end.endEditBlock();
    trimToKept();
    if (atBottom)
        bar->setValue(bar->maximum());

    if (captureFile) {
        const recordfile::WriteFailure failure = recordfile::writeWhole(*captureFile, captured.toUtf8());
        if (failure != recordfile::WriteFailure::none) {
            captureFile = nullptr;
            if (captureFailed)
                captureFailed(failure);
        }
    }
}

void LogView::trimToKept()
{
    // Dropping blocks at the top lays the whole view out again: done in steps.
    if (int(paragraphBlocks.size()) <= keptParagraphs + trimStep)
        return;
    int blocks = 0;
    while (int(paragraphBlocks.size()) > keptParagraphs) {
        blocks += paragraphBlocks.front();
        paragraphBlocks.pop_front();
    }
    QTextDocument* document = view->document();
    blocks = std::min(blocks, document->blockCount() - 1);
    if (blocks <= 0)
        return;
    QTextCursor top(document);
    top.setPosition(document->findBlockByNumber(blocks).position(), QTextCursor::KeepAnchor);
    top.removeSelectedText();
#ifdef __GLIBC__
    // The dropped paragraphs' memory goes back to the system, so a long session
    // stays at the size of a full view; not more often, as it costs page faults.
    if (!sinceMemoryReturned.isValid() || sinceMemoryReturned.elapsed() >= memoryReturnInterval) {
        malloc_trim(0);
        sinceMemoryReturned.start();
    }
#endif
}

void LogView::clear()
{
    flush();
    view->clear();
    view->document()->setUndoRedoEnabled(false);
    paragraphBlocks.clear();
}
