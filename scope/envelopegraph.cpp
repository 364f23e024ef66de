#include "scope/envelopegraph.h"

#include <algorithm>
#include <cmath>

EnvelopeGraph::EnvelopeGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, EnvelopeCanvas* canvas)
    : QCPGraph(keyAxis, valueAxis), canvas(canvas)
{
}

void EnvelopeGraph::showWindow(const QVector<QCPGraphData>& window)
{
    mDataContainer->set(window, true);
    envelope.follow(window);
}

void EnvelopeGraph::clearWindow()
{
    mDataContainer->clear();
    envelope.clear();
}

void EnvelopeGraph::followContainer()
{
    // Data set through the container itself: take it over once.
    const int size = mDataContainer->size();
    const QVector<QCPGraphData>& shown = envelope.window();
    if (size == shown.size()
        && (size == 0
            || (mDataContainer->constBegin()->key == shown.constFirst().key
                && (mDataContainer->constEnd() - 1)->key == shown.constLast().key)))
        return;
    envelope.follow(QVector<QCPGraphData>(mDataContainer->constBegin(), mDataContainer->constEnd()));
}

QCPRange EnvelopeGraph::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                                      const QCPRange& inKeyRange) const
{
    double lowest = 0, highest = 0;
    if (inSignDomain == QCP::sdBoth && inKeyRange == QCPRange() && envelope.ordered()
        && mDataContainer->size() == envelope.window().size()) {
        foundRange = envelope.valueRange(lowest, highest);
        return foundRange ? QCPRange(lowest, highest) : QCPRange();
    }
    return QCPGraph::getValueRange(foundRange, inSignDomain, inKeyRange);
}

bool EnvelopeGraph::envelopeApplies() const
{
    const QCPAxis* keyAxis = mKeyAxis.data();
    const QCPAxis* valueAxis = mValueAxis.data();
    return canvas && keyAxis && valueAxis && keyAxis->orientation() == Qt::Horizontal
           && keyAxis->scaleType() == QCPAxis::stLinear && valueAxis->scaleType() == QCPAxis::stLinear
           && !keyAxis->rangeReversed() && mLineStyle == lsLine && mScatterStyle.isNone()
           && mBrush.style() == Qt::NoBrush && mPen.style() == Qt::SolidLine && mPen.widthF() <= 1.0
           && !selected() && envelope.ordered();
}

void EnvelopeGraph::draw(QCPPainter* painter)
{
    envelopeDrawn = false;
    followContainer();
    if (!envelopeApplies()) {
        QCPGraph::draw(painter);
        return;
    }
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    const QCPRange range = keyAxis->range();
    const QRect area = keyAxis->axisRect()->rect();
    const int columns = std::max(area.width(), 1);
    const auto first = mDataContainer->findBegin(range.lower, false);
    const auto last = mDataContainer->findEnd(range.upper, false);
    if (double(last - first) < minimumSamplesPerColumn * columns) {
        QCPGraph::draw(painter);
        return;
    }
    envelope.setBinWidth(ChannelEnvelope::quantizedWidth(range.size() / columns));
    const double width = envelope.binWidth();
    if (width <= 0) {
        QCPGraph::draw(painter);
        return;
    }

    // The bins in view and one beyond each side, whose joins cross into it.
    const BinQueue& bins = envelope.bins();
    const double lowIndex = std::floor(range.lower / width);
    const double highIndex = std::floor(range.upper / width);
    auto from = std::lower_bound(bins.begin(), bins.end(), lowIndex,
                                 [](const EnvelopeBin& bin, double index) { return double(bin.index) < index; });
    auto to = std::upper_bound(bins.begin(), bins.end(), highIndex,
                               [](double index, const EnvelopeBin& bin) { return index < double(bin.index); });
    if (from != bins.begin())
        --from;
    if (to != bins.end())
        ++to;

    spans.reset(area.width(), area.height());
    const double left = area.left();
    const double top = area.top();
    const QCPRange values = valueAxis->range();
    PixelMap map;
    map.keyLower = range.lower;
    map.x0 = keyAxis->coordToPixel(range.lower) - left;
    map.xSlope = (keyAxis->coordToPixel(range.upper) - left - map.x0) / range.size();
    map.valueLower = values.lower;
    map.y0 = valueAxis->coordToPixel(values.lower) - top;
    map.ySlope = (valueAxis->coordToPixel(values.upper) - top - map.y0) / values.size();
    SpanPen pen(spans, map);
    const QVector<QCPGraphData>& points = envelope.window();
    const EnvelopeBin* whole = from;  // the bins from here on lie wholly in view
    for (const EnvelopeBin* bin = from; bin != to; ++bin) {
        if (bin->firstKey >= range.lower && bin->lastKey <= range.upper)
            continue;
        pen.traceBins(whole, bin);
        whole = bin + 1;
        // A bin across the edge of the view: its samples one by one, so the
        // part outside is clipped as the polyline's is.
        auto p = std::lower_bound(points.cbegin(), points.cend(), bin->firstKey,
                                  [](const QCPGraphData& q, double key) { return q.key < key; });
        for (; p != points.cend() && p->key <= bin->lastKey; ++p)
            if (std::isfinite(p->value))
                pen.lineTo(p->key, p->value);
    }
    pen.traceBins(whole, to);
    canvas->add(area, mPen.color(), spans);
    envelopeDrawn = true;
}

EnvelopeLayer::EnvelopeLayer(QCustomPlot* plot, EnvelopeCanvas* canvas) : QCPLayerable(plot), canvas(canvas)
{
    connect(plot, &QCustomPlot::beforeReplot, this, [canvas] { canvas->discard(); });
}

void EnvelopeLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const
{
    painter->setAntialiasing(false);
}

QRect EnvelopeLayer::clipRect() const
{
    return canvas->area();
}

void EnvelopeLayer::draw(QCPPainter* painter)
{
    if (canvas->isEmpty())
        return;
    // On the plot's own image buffer the spans are written into it, which spares
    // composing a separate image and blending it in.
    QImage* target = painter->device() && painter->device()->devType() == QInternal::Image
                         ? static_cast<QImage*>(painter->device())
                         : nullptr;
    if (!target || !painter->transform().isIdentity() || !canvas->composeOnto(*target))
        painter->drawImage(canvas->area().topLeft(), canvas->compose());
    canvas->discard();
}
