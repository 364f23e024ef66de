#include "scope/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Pixel coordinates far outside any plot, clamped before they become integers.
constexpr double pixelLimit = 1e7;

int pixelIndex(double coordinate)
{
    if (std::isnan(coordinate))
        return std::numeric_limits<int>::min() / 2;
    return int(std::floor(std::clamp(coordinate, -pixelLimit, pixelLimit)));
}

EnvelopeBin startBin(int64_t index, double key, double value)
{
    EnvelopeBin bin;
    bin.index = index;
    bin.firstKey = bin.lastKey = key;
    bin.first = bin.last = bin.min = bin.max = value;
    return bin;
}

void extendBin(EnvelopeBin& bin, double key, double value)
{
    bin.lastKey = key;
    bin.last = value;
    bin.min = std::min(bin.min, value);
    bin.max = std::max(bin.max, value);
}

}  // namespace

// ---- BinQueue ----

void BinQueue::pop_front()
{
    if (++head == store.size()) {
        clear();
    } else if (head >= 256 && head * 2 >= store.size()) {
        store.erase(store.begin(), store.begin() + std::ptrdiff_t(head));
        head = 0;
    }
}

void BinQueue::clear()
{
    store.clear();
    head = 0;
}

// ---- ChannelEnvelope ----

double ChannelEnvelope::quantizedWidth(double width)
{
    if (!(width > 0) || !std::isfinite(width))
        return 0;
    return std::exp2(std::floor(std::log2(width) * 16) / 16);
}

void ChannelEnvelope::clear()
{
    points = QVector<QCPGraphData>();
    binList.clear();
    minima.clear();
    maxima.clear();
    isOrdered = true;
    lastKey = -std::numeric_limits<double>::infinity();
}

void ChannelEnvelope::follow(const QVector<QCPGraphData>& window)
{
    if (window.constData() == points.constData() && window.size() == points.size())
        return;
    const int oldSize = points.size();
    if (isOrdered && oldSize > 0 && !window.isEmpty()) {
        // The newest old sample, found by its key, splits kept from appended samples.
        const QCPGraphData newest = points.constLast();
        const auto at = std::lower_bound(window.cbegin(), window.cend(), newest.key,
                                         [](const QCPGraphData& p, double key) { return p.key < key; });
        const int kept = int(at - window.cbegin()) + 1;
        const int dropped = oldSize - kept;
        if (at != window.cend() && at->key == newest.key && dropped >= 0
            && window.constFirst().key == points.at(dropped).key) {
            points = window;
            if (dropped > 0)
                dropBefore(window.constFirst().key);
            for (int i = kept; i < window.size() && isOrdered; ++i)
                append(window.at(i));
            return;
        }
    }
    points = window;
    rebuild();
}

void ChannelEnvelope::setBinWidth(double binWidth)
{
    if (binWidth == width)
        return;
    width = binWidth;
    binList.clear();
    if (!isOrdered || width <= 0)
        return;
    for (const QCPGraphData& p : qAsConst(points))
        addToBins(p.key, p.value);
    visited += uint64_t(points.size());
}

bool ChannelEnvelope::valueRange(double& lowest, double& highest) const
{
    if (minima.empty())
        return false;
    lowest = minima.front().value;
    highest = maxima.front().value;
    return true;
}

void ChannelEnvelope::rebuild()
{
    binList.clear();
    minima.clear();
    maxima.clear();
    isOrdered = true;
    lastKey = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < points.size() && isOrdered; ++i)
        append(points.at(i));
}

void ChannelEnvelope::append(const QCPGraphData& point)
{
    ++visited;
    if (!std::isfinite(point.key) || !(point.key > lastKey)) {
        isOrdered = false;
        binList.clear();
        minima.clear();
        maxima.clear();
        return;
    }
    lastKey = point.key;
    if (!std::isfinite(point.value))
        return;
    while (!minima.empty() && minima.back().value >= point.value)
        minima.pop_back();
    minima.push_back({point.key, point.value});
    while (!maxima.empty() && maxima.back().value <= point.value)
        maxima.pop_back();
    maxima.push_back({point.key, point.value});
    if (width > 0)
        addToBins(point.key, point.value);
}

void ChannelEnvelope::dropBefore(double firstKey)
{
    while (!minima.empty() && minima.front().key < firstKey)
        minima.pop_front();
    while (!maxima.empty() && maxima.front().key < firstKey)
        maxima.pop_front();
    while (!binList.empty() && binList.front().lastKey < firstKey)
        binList.pop_front();
    if (binList.empty() || binList.front().firstKey >= firstKey)
        return;
    // The oldest bin lost some of its samples: its summary is made again from the ones left.
    EnvelopeBin& oldest = binList.front();
    const int64_t index = oldest.index;
    bool any = false;
    for (int i = 0; i < points.size() && binOf(points.at(i).key) == index; ++i) {
        ++visited;
        const QCPGraphData& p = points.at(i);
        if (!std::isfinite(p.value))
            continue;
        if (any)
            extendBin(oldest, p.key, p.value);
        else
            oldest = startBin(index, p.key, p.value);
        any = true;
    }
    if (!any)
        binList.pop_front();
}

int64_t ChannelEnvelope::binOf(double key) const
{
    return int64_t(std::floor(std::clamp(key / width, -9e15, 9e15)));
}

void ChannelEnvelope::addToBins(double key, double value)
{
    if (!std::isfinite(value))
        return;
    const int64_t index = binOf(key);
    if (binList.empty() || binList.back().index != index)
        binList.push_back(startBin(index, key, value));
    else
        extendBin(binList.back(), key, value);
}

// ---- ColumnSpans ----

void ColumnSpans::reset(int width, int height)
{
    tops.assign(size_t(std::max(width, 0)), std::numeric_limits<int>::max());
    bottoms.assign(size_t(std::max(width, 0)), std::numeric_limits<int>::min());
    rows = height;
}

inline void ColumnSpans::coverColumn(int column, double y0, double y1)
{
    if (column < 0 || column >= int(tops.size()) || rows <= 0)
        return;
    int from = pixelIndex(std::min(y0, y1));
    int to = pixelIndex(std::max(y0, y1));
    if (to < 0 || from >= rows)
        return;
    from = std::max(from, 0);
    to = std::min(to, rows - 1);
    tops[column] = std::min(tops[column], from);
    bottoms[column] = std::max(bottoms[column], to);
}

void ColumnSpans::cover(double x, double y0, double y1)
{
    coverColumn(pixelIndex(x), y0, y1);
}

void ColumnSpans::coverSegment(double x0, double y0, double x1, double y1)
{
    if (x1 < x0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int first = pixelIndex(x0);
    const int last = pixelIndex(x1);
    if (first == last) {
        coverColumn(first, y0, y1);
        return;
    }
    if (last == first + 1) {  // the usual join between neighbouring bins: the loop below, without its division
        const double rise = y1 - y0;
        coverColumn(first, y0, y0 + 0.5 * rise);
        coverColumn(last, y0 + 0.5 * rise, y0 + rise);
        return;
    }
    // Each column gets the part of the segment between its neighbours' midlines,
    // as a line drawn from column centre to column centre would fill it.
    const double c0 = first + 0.5, c1 = last + 0.5;
    const double slope = (y1 - y0) / (c1 - c0);
    const int from = std::max(first, 0);
    const int to = std::min(last, int(tops.size()) - 1);
    for (int column = from; column <= to; ++column) {
        const double left = std::max(column + 0.0, c0);
        const double right = std::min(column + 1.0, c1);
        coverColumn(column, y0 + (left - c0) * slope, y0 + (right - c0) * slope);
    }
}

// ---- SpanPen ----

inline void SpanPen::joinTo(double x, double y)
{
    if (joined)
        spans.coverSegment(penX, penY, x, y);
    else
        spans.cover(x, y, y);
    penX = x;
    penY = y;
    joined = true;
}

void SpanPen::lineTo(double key, double value)
{
    joinTo(map.x(key), map.y(value));
}

void SpanPen::traceBins(const EnvelopeBin* bin, const EnvelopeBin* end)
{
    for (; bin != end; ++bin) {
        const double firstX = map.x(bin->firstKey), lastX = map.x(bin->lastKey);
        joinTo(firstX, map.y(bin->first));
        spans.cover(map.x((bin->firstKey + bin->lastKey) / 2), map.y(bin->min), map.y(bin->max));
        const double lastY = map.y(bin->last);
        if (std::floor(firstX) == std::floor(lastX)) {
            penX = lastX;  // within one column the span covers the join
            penY = lastY;
        } else {
            joinTo(lastX, lastY);
        }
    }
}

// ---- EnvelopeCanvas ----

void EnvelopeCanvas::begin(const QRect& area)
{
    layers.clear();
    plotArea = area;
}

void EnvelopeCanvas::add(const QRect& area, const QColor& color, const ColumnSpans& spans)
{
    if (layers.isEmpty())
        begin(area);
    if (area != plotArea)
        return;
    layers.append({color.rgba() | 0xFF000000u, &spans});
}

void EnvelopeCanvas::fillColumn(int x, QRgb* column, qsizetype stride, int height)
{
    // Topmost channel first; each later (lower) one fills only rows still free.
    // Straight into the image: four bytes a row, and nothing where no channel is.
    const auto fill = [column, stride](int from, int end, QRgb color) {
        for (QRgb* pixel = column + from * stride; from < end; ++from, pixel += stride)
            *pixel = color;
    };
    Interval* taken = takenRows.data();
    Interval* next = nextRows.data();
    int takenCount = 0;
    for (int l = layers.size() - 1; l >= 0; --l) {
        const ColumnSpans& spans = *layers[l].spans;
        if (x >= spans.width() || spans.isEmpty(x))
            continue;
        const int from = spans.top(x);
        const int to = std::min(spans.bottom(x), height - 1);
        const QRgb color = layers[l].color;
        int row = from;
        for (int t = 0; t < takenCount && row <= to; ++t) {
            if (taken[t].bottom < row)
                continue;
            fill(row, std::min(taken[t].top, to + 1), color);
            row = std::max(row, taken[t].bottom + 1);
        }
        fill(row, to + 1, color);
        // Keep the taken rows sorted and merged.
        Interval merged{from, to};
        int out = 0;
        bool placed = false;
        for (int t = 0; t < takenCount; ++t) {
            if (taken[t].bottom + 1 < merged.top) {
                next[out++] = taken[t];
            } else if (merged.bottom + 1 < taken[t].top) {
                if (!placed) {
                    next[out++] = merged;
                    placed = true;
                }
                next[out++] = taken[t];
            } else {
                merged.top = std::min(merged.top, taken[t].top);
                merged.bottom = std::max(merged.bottom, taken[t].bottom);
            }
        }
        if (!placed)
            next[out++] = merged;
        std::copy(next, next + out, taken);
        takenCount = out;
    }
}

void EnvelopeCanvas::paintOver(QRgb* origin, qsizetype stride)
{
    const int width = plotArea.width();
    const int height = plotArea.height();
    if (width <= 0 || height <= 0)
        return;  // a plot squeezed to nothing
    takenRows.resize(layers.size() + 1);
    nextRows.resize(layers.size() + 1);
    for (int x = 0; x < width; ++x)
        fillColumn(x, origin + x, stride, height);
}

const QImage& EnvelopeCanvas::compose()
{
    // Only exports compose an image of their own: the screen's replots paint onto the plot's.
    const QSize size = plotArea.size().expandedTo(QSize(1, 1));
    if (image.size() != size)
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    paintOver(reinterpret_cast<QRgb*>(image.bits()), image.bytesPerLine() / 4);
    return image;
}

bool EnvelopeCanvas::composeOnto(QImage& target)
{
    if ((target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied)
        || target.devicePixelRatio() != 1.0 || layers.isEmpty() || !target.rect().contains(plotArea))
        return false;
    const qsizetype stride = target.bytesPerLine() / 4;
    paintOver(reinterpret_cast<QRgb*>(target.bits()) + plotArea.top() * stride + plotArea.left(), stride);
    return true;
}
