#include "scope/wavedisplay.h"

#include "scope/envelopegraph.h"
#include "scope/opaquebuffer.h"

const QColor waveDisplay::channelColors[8] = {
    QColor(255, 0, 0), QColor(0, 255, 0),   QColor(0, 0, 255),   QColor(255, 215, 0),
    QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 140, 0), QColor(128, 0, 128),
};

namespace {

void styleAxis(QCPAxis* axis)
{
    const QPen black(Qt::black);
    axis->setBasePen(black);
    axis->setTickPen(black);
    axis->setSubTickPen(black);
    axis->setTickLabelColor(Qt::black);
    axis->setLabelColor(Qt::black);
    QFont labelFont = axis->labelFont();
    labelFont.setPixelSize(20);
    axis->setLabelFont(labelFont);
    axis->setLabel(QString());
}

}  // namespace

waveDisplay::waveDisplay(QWidget* parent) : QCustomPlot(parent)
{
    for (int k = 0; k < 8; ++k) {
        EnvelopeGraph* graph = new EnvelopeGraph(xAxis, yAxis, &envelopeCanvas);
        graphs[k] = graph;
        graph->setPen(QPen(channelColors[k], 1));
        // Windows hold many points per pixel column: antialiasing them costs several times the replot.
        graph->setAntialiased(false);
        graph->setVisible(false);
    }
    new EnvelopeLayer(this, &envelopeCanvas);  // after the graphs: drawn over them
    const QColor background(250, 250, 250);
    setBackground(QBrush(background));
    // One opaque buffer for every layer: a replot clears and the widget copies one
    // image, where a separate overlay would cost a clear and a blend each time.
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    mPaintBuffers.clear();
    mPaintBuffers.append(QSharedPointer<QCPAbstractPaintBuffer>(
        new OpaquePaintBuffer(viewport().size(), mBufferDevicePixelRatio, background)));
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setSelectionRectMode(QCP::srmZoom);
    QPen rectPen(Qt::black, 1.0, Qt::DashLine, Qt::SquareCap);
    selectionRect()->setPen(rectPen);
    selectionRect()->setBrush(QBrush(QColor(0, 0, 100, 50)));
    styleAxis(xAxis);
    styleAxis(yAxis);
    xAxis->setRange(0, 10);
    yAxis->setRange(0, 1);
    setupInteraction();
}

void waveDisplay::clearChannels()
{
    for (EnvelopeGraph* g : graphs) {
        g->clearWindow();
        g->setVisible(false);
    }
    shownChannelCount = 0;
    hiddenChannels = 0;
    hasLatest = false;
    for (QVector<QCPGraphData>& window : latest)
        window = QVector<QCPGraphData>();
    fillLegend();
    // times restart with the configuration: cursors are placed anew
    cursorSet[0] = cursorSet[1] = false;
    setCursorsEnabled(cursorsOn);
    xAxis->setRange(0, 10);
    yAxis->setRange(0, 1);
    replot(QCustomPlot::rpRefreshHint);
}

void waveDisplay::setActiveChannels(const uint8_t* channels, int count)
{
    shownChannelCount = 0;
    for (int i = 0; i < count && i < 8; ++i) {
        const int k = channels[i] & 7;
        shownChannels[shownChannelCount++] = uint8_t(k);
        graph(k)->setVisible(true);
    }
    fillLegend();
}

void waveDisplay::showSamples(QVector<QCPGraphData>* windows)
{
    if (frozen) {
        for (int i = 0; i < shownChannelCount; ++i)
            latest[shownChannels[i]] = windows[shownChannels[i]];
        hasLatest = true;
        return;
    }
    for (int i = 0; i < shownChannelCount; ++i)
        graphs[shownChannels[i]]->showWindow(windows[shownChannels[i]]);
    fitAxes();
    if (cursorsOn)
        emit cursorsChanged();
    // Batches arriving while a replot is still due are drawn together: a plot that
    // takes longer than a batch period never holds back the receive path.
    replot(QCustomPlot::rpQueuedReplot);
}

void waveDisplay::paintEvent(QPaintEvent* event)
{
    if (mPaintBuffers.size() != 1 || !dynamic_cast<OpaquePaintBuffer*>(mPaintBuffers.constFirst().data())) {
        QCustomPlot::paintEvent(event);
        return;
    }
    // The buffer holds the background: nothing to paint under it.
    QCPPainter painter(this);
    if (painter.isActive())
        mPaintBuffers.constFirst()->draw(&painter);
}

EnvelopeGraph* waveDisplay::channelGraph(int k) const
{
    return graphs[k & 7];
}
