#pragma once
// The oscilloscope's envelope: per channel, the samples grouped into key bins
// about one pixel column wide (minimum, maximum, first and last value each),
// kept up to date as the rolling window appends and drops samples; and the
// pixel columns a curve touches, composed for several channels into one image.

#include <QColor>
#include <QImage>
#include <QVector>
#include <cstdint>
#include <deque>
#include <vector>
#include <limits>
#include <qcustomplot.h>

struct EnvelopeBin {
    int64_t index = 0;  // floor(key / bin width)
    double firstKey = 0, lastKey = 0;
    double first = 0, last = 0, min = 0, max = 0;
};

// The bins of a window, oldest first, in one contiguous block: a replot walks
// them all, and the processor reads one block ahead where a deque's many small ones it does not.
class BinQueue {
public:
    const EnvelopeBin* begin() const { return store.data() + head; }
    const EnvelopeBin* end() const { return store.data() + store.size(); }
    size_t size() const { return store.size() - head; }
    bool empty() const { return size() == 0; }
    const EnvelopeBin& operator[](size_t i) const { return store[head + i]; }
    EnvelopeBin& front() { return store[head]; }
    EnvelopeBin& back() { return store.back(); }
    void push_back(const EnvelopeBin& bin) { store.push_back(bin); }
    void pop_front();
    void clear();

private:
    std::vector<EnvelopeBin> store;
    size_t head = 0;  // bins before it were dropped; removed in one go once they are half the store
};

// One channel's window and its incremental summaries. The summaries hold
// while the keys increase strictly and are finite; otherwise `ordered()` is
// false and callers fall back to the points themselves.
class ChannelEnvelope {
public:
    // Takes the window now shown. When it is the previous one with samples
    // dropped at the front and appended at the back, only those are visited.
    void follow(const QVector<QCPGraphData>& window);
    void clear();

    // Bins of this width in keys; a different width regroups every sample.
    void setBinWidth(double width);
    double binWidth() const { return width; }
    const BinQueue& bins() const { return binList; }

    bool ordered() const { return isOrdered; }
    // Smallest and largest finite value of the window; false when it has none.
    bool valueRange(double& lowest, double& highest) const;
    const QVector<QCPGraphData>& window() const { return points; }
    // Samples visited since construction: what incremental upkeep saves shows here.
    uint64_t visitedSamples() const { return visited; }

    // Bin widths are powers of 2^(1/16): a window that only slides keeps its bins.
    static double quantizedWidth(double width);

private:
    struct Extreme {
        double key, value;
    };
    void rebuild();
    void append(const QCPGraphData& point);
    void dropBefore(double firstKey);
    void addToBins(double key, double value);
    int64_t binOf(double key) const;

    QVector<QCPGraphData> points;
    BinQueue binList;
    std::deque<Extreme> minima, maxima;  // increasing and decreasing values, oldest first
    double width = 0;
    double lastKey = -std::numeric_limits<double>::infinity();
    bool isOrdered = true;
    uint64_t visited = 0;
};

// The rows a curve touches in each pixel column of a plot area, as one span
// per column; columns and rows are counted from the area's top-left pixel.
class ColumnSpans {
public:
    void reset(int width, int height);
    int width() const { return int(tops.size()); }
    bool isEmpty(int column) const { return tops[column] > bottoms[column]; }
    int top(int column) const { return tops[column]; }
    int bottom(int column) const { return bottoms[column]; }

    // Rows y0..y1 (plot pixels, either order) in the column at x.
    void cover(double x, double y0, double y1);
    // The straight segment between two points, split between the columns it crosses.
    void coverSegment(double x0, double y0, double x1, double y1);

private:
    void coverColumn(int column, double y0, double y1);
    std::vector<int> tops, bottoms;
    int rows = 0;
};

// How a plot maps keys and values to pixels of its area, both axes linear:
// one slope each, without a call per point.
struct PixelMap {
    double keyLower = 0, x0 = 0, xSlope = 1;
    double valueLower = 0, y0 = 0, ySlope = 1;
    double x(double key) const { return x0 + (key - keyLower) * xSlope; }
    double y(double value) const { return y0 + (value - valueLower) * ySlope; }
};

// A polyline traced into column spans, sample by sample or whole bins at a time.
class SpanPen {
public:
    SpanPen(ColumnSpans& spans, const PixelMap& map) : spans(spans), map(map) {}
    void lineTo(double key, double value);
    // Each bin: the join to its first sample, the span of its values, then its last sample.
    void traceBins(const EnvelopeBin* bin, const EnvelopeBin* end);

private:
    void joinTo(double x, double y);
    ColumnSpans& spans;
    const PixelMap map;
    bool joined = false;
    double penX = 0, penY = 0;
};

// Channels' spans painted into one image, later channels over earlier ones.
class EnvelopeCanvas {
public:
    // A channel's spans over the plot area; the first one of a replot sets the area.
    void add(const QRect& area, const QColor& color, const ColumnSpans& spans);
    void discard() { layers.clear(); }
    bool isEmpty() const { return layers.isEmpty(); }
    const QRect& area() const { return plotArea; }
    // The image of the channels added since `begin` (transparent elsewhere).
    const QImage& compose();
    // The same channels painted straight over the plot area of `target`, the image
    // a painter is drawing; false, with nothing painted, where it cannot be done.
    bool composeOnto(QImage& target);

private:
    void begin(const QRect& area);
    struct Interval {
        int top, bottom;
    };
    // Column x of the plot area, from its top pixel `column` on, each pixel the topmost channel's.
    void fillColumn(int x, QRgb* column, qsizetype stride, int height);
    // The channels' pixels over the image whose area's top-left pixel is `origin`; others are left as they are.
    void paintOver(QRgb* origin, qsizetype stride);
    struct Layer {
        QRgb color;
        const ColumnSpans* spans;
    };
    QRect plotArea;
    QImage image;
    QVector<Layer> layers;
    QVector<Interval> takenRows, nextRows;
};
