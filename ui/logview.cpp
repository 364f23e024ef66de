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
    showTimer.setSingleShot(true);
    connect(&showTimer, &QTimer::timeout, this, &LogView::show);
}

void LogView::setClock(Clock* replacement)
{
    clock = replacement ? replacement : &SystemClock::instance();
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
    if (!turnEndPosted) {
        turnEndPosted = true;
        QMetaObject::invokeMethod(this, &LogView::endOfTurn, Qt::QueuedConnection);
    }
}

void LogView::endOfTurn()
{
    turnEndPosted = false;
    capture();
    // A screen shows some tens of pictures a second: paragraphs raised sooner
    // after the last batch are shown with the next one, in one insertion.
    const int64_t sinceShown = clock->nowMs() - shownAt;
    if (sinceShown >= 0 && sinceShown < showInterval) {
        if (!showTimer.isActive())
            showTimer.start(int(showInterval - sinceShown));
        return;
    }
    show();
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
    capture();
    show();
}

void LogView::capture()
{
    if (!captureFile || capturedCount == pending.size()) {
        capturedCount = pending.size();
        return;
    }
    QString captured;
    for (int i = capturedCount; i < pending.size(); ++i)
        captured += plainText(pending.at(i).text);
    capturedCount = pending.size();
    const recordfile::WriteFailure failure = recordfile::writeWhole(*captureFile, captured.toUtf8());
    if (failure != recordfile::WriteFailure::none) {
        captureFile = nullptr;
        if (captureFailed)
            captureFailed(failure);
    }
}

void LogView::show()
{
    showTimer.stop();
    shownAt = clock->nowMs();
    if (pending.isEmpty())
        return;
    QTextDocument* document = view->document();

    // The same blocks as one append per paragraph: a break before each
    // paragraph unless the view is still empty. Paragraphs of one colour are
    // inserted as one run.
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
    }
    if (!run.isEmpty())
        end.insertText(run, runFailure ? red : usual);
    pending.clear();
    capturedCount = 0;
    end.endEditBlock();
    trimToKept();
    if (atBottom)
        bar->setValue(bar->maximum());
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
