// The oscilloscope's envelope drawing: rendered beside a plain polyline
// through the same samples it fills the same pixels within one pixel, zoomed
// in it is that polyline, its summaries of a sliding window equal those of
// the window built afresh, and channels compose as drawn one over another.

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

#include "scope/envelopegraph.h"
#include "scope/wavedisplay.h"

namespace {

constexpr int plotWidth = 700;
constexpr int plotHeight = 360;
const QColor penColor(0, 0, 255);

struct Rendered {
    QImage image;
    QRect area;
    bool envelope = false;
};

Rendered render(const QVector<QCPGraphData>& points, bool useEnvelope, const QCPRange& keys, const QCPRange& values)
{
    QCustomPlot plot;
    plot.resize(plotWidth, plotHeight);
    EnvelopeCanvas canvas;
    QCPGraph* graph = nullptr;
    EnvelopeGraph* envelopeGraph = nullptr;
    if (useEnvelope) {
        envelopeGraph = new EnvelopeGraph(plot.xAxis, plot.yAxis, &canvas);
        new EnvelopeLayer(&plot, &canvas);
        envelopeGraph->showWindow(points);
        graph = envelopeGraph;
    } else {
        graph = plot.addGraph();
        graph->setAdaptiveSampling(false);
        graph->data()->set(points, true);
    }
    graph->setPen(QPen(penColor, 1));
    graph->setAntialiased(false);
    plot.xAxis->setRange(keys);
    plot.yAxis->setRange(values);
    // No axis lines or ticks over the curve's edge pixels.
    plot.xAxis->setVisible(false);
    plot.yAxis->setVisible(false);
    Rendered out;
    out.image = plot.toPixmap(plotWidth, plotHeight).toImage();
    out.area = plot.axisRect()->rect();
    out.envelope = envelopeGraph && envelopeGraph->drewEnvelope();
    return out;
}

bool painted(const Rendered& r, int x, int y)
{
    return r.area.contains(x, y) && QColor(r.image.pixel(x, y)) == penColor;
}

// Pixels of `a` with no pixel of `b` within one pixel (any direction).
int unmatched(const Rendered& a, const Rendered& b)
{
    int count = 0;
    for (int x = a.area.left(); x <= a.area.right(); ++x)
        for (int y = a.area.top(); y <= a.area.bottom(); ++y) {
            if (!painted(a, x, y))
                continue;
            bool near = false;
            for (int dx = -1; dx <= 1 && !near; ++dx)
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    near = painted(b, x + dx, y + dy);
            count += near ? 0 : 1;
        }
    return count;
}

int paintedCount(const Rendered& r)
{
    int count = 0;
    for (int x = r.area.left(); x <= r.area.right(); ++x)
        for (int y = r.area.top(); y <= r.area.bottom(); ++y)
            count += painted(r, x, y) ? 1 : 0;
    return count;
}

enum class Shape { Random, Smooth, Constant, Sparse, Steps };

QVector<QCPGraphData> samples(Shape shape, int count, double seconds)
{
    QRandomGenerator random(7);
    QVector<QCPGraphData> points;
    for (int i = 0; i < count; ++i) {
        double t = seconds * i / count;
        double v = 0;
        switch (shape) {
        case Shape::Random: v = random.bounded(2.0) - 1; break;
        case Shape::Smooth: v = std::sin(2 * M_PI * 0.7 * t) + 0.3 * std::sin(2 * M_PI * 3.1 * t); break;
        case Shape::Constant: v = 0.25; break;
        case Shape::Sparse:
            // bursts of samples with long empty stretches between them
            if ((i / 400) % 3 != 0)
                continue;
            v = std::sin(2 * M_PI * 2 * t) + (random.bounded(0.4) - 0.2);
            break;
        case Shape::Steps: v = (int(t * 2) % 2 == 0) ? -0.8 : 0.8; break;
        }
        points.append(QCPGraphData(t, v));
    }
    return points;
}

}  // namespace

class ScopeEnvelopeTest : public QObject {
    Q_OBJECT

private slots:
    void fillsThePolylinesPixels_data();
    void fillsThePolylinesPixels();
    void zoomedInDrawsThePolyline();
    void slidingWindowKeepsItsSummaries_data();
    void slidingWindowKeepsItsSummaries();
    void canvasShowsEachPixelsTopChannel_data();
    void canvasShowsEachPixelsTopChannel();
    void screenShowsWhatExportWrites();
};

void ScopeEnvelopeTest::fillsThePolylinesPixels_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("from");  // visible keys
    QTest::addColumn<double>("to");
    QTest::newRow("random") << int(Shape::Random) << 26000 << 0.0 << 10.0;
    QTest::newRow("smooth") << int(Shape::Smooth) << 26000 << 0.0 << 10.0;
    QTest::newRow("constant") << int(Shape::Constant) << 26000 << 0.0 << 10.0;
    QTest::newRow("sparse") << int(Shape::Sparse) << 26000 << 0.0 << 10.0;
    QTest::newRow("steps") << int(Shape::Steps) << 26000 << 0.0 << 10.0;
    QTest::newRow("smooth, part of the window") << int(Shape::Smooth) << 26000 << 2.37 << 7.11;
    QTest::newRow("random, three samples per column") << int(Shape::Random) << 2000 << 0.0 << 10.0;
}

void ScopeEnvelopeTest::fillsThePolylinesPixels()
{
    QFETCH(int, shape);
    QFETCH(int, count);
    QFETCH(double, from);
    QFETCH(double, to);
    const QVector<QCPGraphData> points = samples(Shape(shape), count, 10.0);
    const QCPRange keys(from, to), values(-1.3, 1.3);
    const Rendered polyline = render(points, false, keys, values);
    const Rendered envelope = render(points, true, keys, values);
    QVERIFY(envelope.envelope);
    QVERIFY(paintedCount(polyline) > plotWidth / 2);
    QCOMPARE(unmatched(envelope, polyline), 0);
    QCOMPARE(unmatched(polyline, envelope), 0);
}

void ScopeEnvelopeTest::zoomedInDrawsThePolyline()
{
    const QVector<QCPGraphData> points = samples(Shape::Random, 26000, 10.0);
    const QCPRange keys(4.0, 4.2), values(-1.3, 1.3);  // 520 samples over about 650 columns
    const Rendered polyline = render(points, false, keys, values);
    const Rendered envelope = render(points, true, keys, values);
    QVERIFY(!envelope.envelope);
    QCOMPARE(envelope.image, polyline.image);
}

void ScopeEnvelopeTest::slidingWindowKeepsItsSummaries_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("step");       // samples appended per batch
    QTest::addColumn<bool>("withNaN");   // values the drive sent as not-a-number
    QTest::newRow("full window, 52 per batch") << 26000 << 52 << false;
    QTest::newRow("filling, uneven batches") << 5000 << 777 << false;
    QTest::newRow("not-a-number values") << 3000 << 40 << true;
    QTest::newRow("batches larger than the window") << 500 << 900 << false;
}

void ScopeEnvelopeTest::slidingWindowKeepsItsSummaries()
{
    QFETCH(int, capacity);
    QFETCH(int, step);
    QFETCH(bool, withNaN);
    QRandomGenerator random(11);
    QVector<QCPGraphData> stream;
    for (int i = 0; i < 12000; ++i) {
        double v = random.bounded(100.0) - 50 + 30 * std::sin(i / 500.0);
        if (withNaN && i % 97 == 0)
            v = std::nan("");
        stream.append(QCPGraphData(i / 2600.0, v));
    }
    const double binWidth = ChannelEnvelope::quantizedWidth(10.0 / 1500);
    ChannelEnvelope following;
    following.setBinWidth(binWidth);
    uint64_t visitedBefore = 0;
    for (int end = step; end <= stream.size(); end += step) {
        const int begin = std::max(0, end - capacity);
        const QVector<QCPGraphData> window = stream.mid(begin, end - begin);
        visitedBefore = following.visitedSamples();
        following.follow(window);

        ChannelEnvelope fresh;
        fresh.setBinWidth(binWidth);
        fresh.follow(window);
        QVERIFY(following.ordered());
        double lo1 = 0, hi1 = 0, lo2 = 0, hi2 = 0;
        QCOMPARE(following.valueRange(lo1, hi1), fresh.valueRange(lo2, hi2));
        QCOMPARE(lo1, lo2);
        QCOMPARE(hi1, hi2);
        QCOMPARE(following.bins().size(), fresh.bins().size());
        for (size_t b = 0; b < fresh.bins().size(); ++b) {
            const EnvelopeBin& x = following.bins()[b];
            const EnvelopeBin& y = fresh.bins()[b];
            QVERIFY2(x.index == y.index && x.firstKey == y.firstKey && x.lastKey == y.lastKey && x.first == y.first
                         && x.last == y.last && x.min == y.min && x.max == y.max,
                     qPrintable(QStringLiteral("bin %1 after %2 samples").arg(b).arg(end)));
        }
    }
    // A sliding batch visits the new samples and the regrouped oldest bin, not the window.
    if (step < capacity)
        QVERIFY(following.visitedSamples() - visitedBefore < uint64_t(step + 64));
}

void ScopeEnvelopeTest::canvasShowsEachPixelsTopChannel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("the window's plot") << QSize(1009, 575);
    QTest::newRow("sizes not divisible by four") << QSize(13, 7);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("whole blocks") << QSize(8, 4);
}

// Channels composed three times over: each pixel shows the last channel whose
// span holds it, and nothing of an earlier composition stays.
void ScopeEnvelopeTest::canvasShowsEachPixelsTopChannel()
{
    QFETCH(QSize, size);
    const QRect area(QPoint(3, 5), size);
    const QRgb colors[3] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    QRandomGenerator random(5);
    EnvelopeCanvas canvas;
    for (int round = 0; round < 3; ++round) {
        ColumnSpans spans[3];
        const int channels = round == 2 ? 1 : 3;  // the last one leaves most pixels empty
        for (int l = 0; l < channels; ++l) {
            spans[l].reset(size.width(), size.height());
            for (int x = 0; x < size.width(); ++x)
                if (random.bounded(10) < 7)
                    spans[l].cover(x + 0.5, random.bounded(size.height()), random.bounded(size.height()));
            canvas.add(area, QColor(colors[l]), spans[l]);
        }
        const QImage& image = canvas.compose();
        QCOMPARE(image.size(), size);
        // Straight onto a plot's image: the same pixels over its background, nothing outside the area.
        const QRgb background = qRgb(250, 250, 250);
        QImage plot(area.adjusted(-3, -5, 2, 3).size(), QImage::Format_RGB32);
        plot.fill(background);
        QVERIFY(canvas.composeOnto(plot));
        for (int x = 0; x < plot.width(); ++x)
            for (int y = 0; y < plot.height(); ++y) {
                const QPoint inArea = QPoint(x, y) - area.topLeft();
                QRgb expected = 0;
                for (int l = 0; l < channels && area.contains(x, y); ++l)
                    if (!spans[l].isEmpty(inArea.x()) && spans[l].top(inArea.x()) <= inArea.y()
                        && inArea.y() <= spans[l].bottom(inArea.x()))
                        expected = colors[l];
                const QString where = QStringLiteral("round %1, pixel %2,%3").arg(round).arg(x).arg(y);
                if (area.contains(x, y))
                    QVERIFY2(image.pixel(inArea) == expected, qPrintable(where));
                QVERIFY2(plot.pixel(x, y) == (expected ? expected : background), qPrintable(where));
            }
        canvas.discard();
    }
}

// The plot paints the screen from its own buffer, spans written into it; an
// export draws the layers afresh. Both must be the same picture.
void ScopeEnvelopeTest::screenShowsWhatExportWrites()
{
    waveDisplay plot;
    plot.resize(640, 400);
    const uint8_t channels[3] = {0, 3, 5};
    plot.setActiveChannels(channels, 3);
    QVector<QCPGraphData> windows[8];
    windows[0] = samples(Shape::Random, 26000, 10.0);
    windows[3] = samples(Shape::Smooth, 26000, 10.0);
    windows[5] = samples(Shape::Steps, 26000, 10.0);
    plot.showSamples(windows);
    plot.replot(QCustomPlot::rpImmediateRefresh);
    QVERIFY(plot.channelGraph(0)->drewEnvelope());
    const QImage screen = plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage exported = plot.toPixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(screen.size(), exported.size());
    // Tick labels are cached pictures on screen and drawn afresh in an export: the plot area is compared.
    const QRect area = plot.axisRect()->rect();
    QCOMPARE(screen.copy(area), exported.copy(area));
    // A plot squeezed too small for any plot area paints nothing there, and goes on.
    plot.setViewport(QRect(0, 0, 40, 12));
    plot.replot(QCustomPlot::rpImmediateRefresh);
    QVERIFY(plot.axisRect()->rect().height() <= 0);
    QVERIFY(!plot.toPixmap().isNull());
}

QTEST_MAIN(ScopeEnvelopeTest)
#include "tst_scope_envelope.moc"
