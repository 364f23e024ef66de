// What the operator does with the plot: freeze it, measure with two cursors,
// hide channels from the legend, reset the zoom, and write it to a file.

#include <QMouseEvent>
#include <QPdfWriter>
#include <QSaveFile>

#include "scope/envelopegraph.h"
#include "scope/wavedisplay.h"

namespace {

constexpr int cursorGrabPixels = 5;  // a press this close to a cursor drags it
constexpr int clickSlackPixels = 3;  // a press released this close is a click

}  // namespace

void waveDisplay::setupInteraction()
{
    legend->setVisible(false);
    legend->clearItems();
    legend->setBrush(QBrush(QColor(255, 255, 255, 200)));
    for (int i = 0; i < 2; ++i) {
        cursorLines[i] = new QCPItemStraightLine(this);
        cursorLines[i]->setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
        cursorLines[i]->point1->setTypeY(QCPItemPosition::ptAxisRectRatio);
        cursorLines[i]->point2->setTypeY(QCPItemPosition::ptAxisRectRatio);
        cursorLines[i]->setSelectable(false);
        cursorLines[i]->setVisible(false);
        cursorTags[i] = new QCPItemText(this);
        cursorTags[i]->setText(i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        cursorTags[i]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        cursorTags[i]->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        cursorTags[i]->setPadding(QMargins(3, 2, 3, 2));
        cursorTags[i]->setColor(QColor(60, 60, 60));
        cursorTags[i]->setSelectable(false);
        cursorTags[i]->setVisible(false);
    }
}

// ---- freeze ----

void waveDisplay::setFrozen(bool freeze)
{
    if (frozen == freeze)
        return;
    frozen = freeze;
    if (!frozen && hasLatest) {
        hasLatest = false;
        showSamples(latest);
    }
}

// ---- legend and channels ----

void waveDisplay::setChannelName(int k, const QString& name)
{
    graphs[k & 7]->setName(name);
}

bool waveDisplay::channelHidden(int k) const
{
    return hiddenChannels & (1u << (k & 7));
}

bool waveDisplay::channelVisible(int k) const
{
    for (int i = 0; i < shownChannelCount; ++i)
        if (shownChannels[i] == (k & 7))
            return !channelHidden(k);
    return false;
}

void waveDisplay::setChannelHidden(int k, bool hidden)
{
    k &= 7;
    hiddenChannels = hidden ? (hiddenChannels | (1u << k)) : (hiddenChannels & ~(1u << k));
    bool shown = false;
    for (int i = 0; i < shownChannelCount; ++i)
        shown = shown || shownChannels[i] == k;
    graphs[k]->setVisible(shown && !hidden);
    if (QCPPlottableLegendItem* entry = legend->itemWithPlottable(graphs[k]))
        entry->setTextColor(hidden ? QColor(160, 160, 160) : QColor(Qt::black));
    replot(QCustomPlot::rpQueuedReplot);
    emit cursorsChanged();
}

void waveDisplay::fillLegend()
{
    legend->clearItems();
    for (int i = 0; i < shownChannelCount; ++i)
        legend->addItem(new QCPPlottableLegendItem(legend, graphs[shownChannels[i]]));
    legend->setVisible(shownChannelCount > 0);
}

void waveDisplay::showWholeWindow()
{
    fitAxes();
    replot(QCustomPlot::rpQueuedReplot);
}

void waveDisplay::fitAxes()
{
    bool first = true;
    for (int i = 0; i < shownChannelCount; ++i) {
        EnvelopeGraph* g = graphs[shownChannels[i]];
        if (!g->visible() || g->dataCount() == 0)
            continue;
        g->rescaleAxes(!first);
        first = false;
    }
}

// ---- cursors ----

void waveDisplay::setCursorsEnabled(bool enable)
{
    cursorsOn = enable;
    for (int i = 0; i < 2; ++i) {
        if (!enable)
            cursorSet[i] = false;
        cursorLines[i]->setVisible(enable && cursorSet[i]);
        cursorTags[i]->setVisible(enable && cursorSet[i]);
    }
    draggedCursor = -1;
    replot(QCustomPlot::rpQueuedReplot);
    emit cursorsChanged();
}

void waveDisplay::placeCursor(int which, double time)
{
    which &= 1;
    cursorSet[which] = true;
    cursorTimes[which] = time;
    cursorLines[which]->point1->setCoords(time, 0);
    cursorLines[which]->point2->setCoords(time, 1);
    cursorTags[which]->position->setCoords(time, 0);
    cursorLines[which]->setVisible(cursorsOn);
    cursorTags[which]->setVisible(cursorsOn);
    replot(QCustomPlot::rpQueuedReplot);
    emit cursorsChanged();
}

int waveDisplay::cursorNear(int x) const
{
    int nearest = -1;
    double best = cursorGrabPixels + 1;
    for (int i = 0; i < 2; ++i) {
        if (!cursorSet[i])
            continue;
        const double distance = std::abs(xAxis->coordToPixel(cursorTimes[i]) - x);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return best <= cursorGrabPixels ? nearest : -1;
}

int waveDisplay::legendChannelAt(const QPoint& position) const
{
    if (!legend->visible())
        return -1;
    for (int i = 0; i < legend->itemCount(); ++i) {
        auto* entry = qobject_cast<QCPPlottableLegendItem*>(legend->item(i));
        if (!entry || !entry->rect().contains(position))
            continue;
        for (int k = 0; k < 8; ++k)
            if (entry->plottable() == graphs[k])
                return k;
    }
    return -1;
}

void waveDisplay::mousePressEvent(QMouseEvent* event)
{
    clickPending = event->button() == Qt::LeftButton;
    pressPosition = event->pos();
    if (cursorsOn && event->button() == Qt::LeftButton && legendChannelAt(event->pos()) < 0) {
        draggedCursor = cursorNear(event->pos().x());
        if (draggedCursor >= 0) {
            clickPending = false;
            event->accept();
            return;
        }
    }
    QCustomPlot::mousePressEvent(event);
}

void waveDisplay::mouseMoveEvent(QMouseEvent* event)
{
    if (draggedCursor >= 0) {
        placeCursor(draggedCursor, xAxis->pixelToCoord(event->pos().x()));
        event->accept();
        return;
    }
    QCustomPlot::mouseMoveEvent(event);
}

void waveDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (draggedCursor >= 0) {
        draggedCursor = -1;
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
    const bool click = clickPending && (event->pos() - pressPosition).manhattanLength() <= clickSlackPixels;
    clickPending = false;
    if (!click)
        return;
    // The zoom rectangle keeps the plot's own click signals from the legend: entries are hit here.
    const int entry = legendChannelAt(event->pos());
    if (entry >= 0) {
        setChannelHidden(entry, !channelHidden(entry));
        return;
    }
    if (!cursorsOn || !axisRect()->rect().contains(event->pos()))
        return;
    // A click places A, then B; once both stand it moves the nearer one.
    const double time = xAxis->pixelToCoord(event->pos().x());
    int which = !cursorSet[0] ? 0 : !cursorSet[1] ? 1 : -1;
    if (which < 0)
        which = std::abs(time - cursorTimes[0]) <= std::abs(time - cursorTimes[1]) ? 0 : 1;
    placeCursor(which, time);
}

void waveDisplay::mouseDoubleClickEvent(QMouseEvent* event)
{
    QCustomPlot::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        showWholeWindow();
}

// ---- images ----

bool waveDisplay::writePng(QIODevice* device)
{
    return toPixmap().save(device, "PNG");
}

bool waveDisplay::writePdf(QIODevice* device)
{
    const int w = viewport().width();
    const int h = viewport().height();
    QPdfWriter writer(device);
    writer.setCreator(QStringLiteral("Torvane"));
    writer.setResolution(72);  // one plot pixel, one point
    writer.setPageSize(QPageSize(QSizeF(w, h), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QCPPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    toPainter(&painter, w, h);
    return painter.end();
}
