#pragma once
// A graph that draws dense data as its per-pixel-column envelope: in each
// column the rows between the smallest and largest sample there, joined to
// the neighbouring columns, which is what a polyline through every sample
// fills. With fewer than two samples per column it draws that polyline.

#include <qcustomplot.h>

#include "scope/envelope.h"

class EnvelopeGraph : public QCPGraph {
    Q_OBJECT

public:
    EnvelopeGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, EnvelopeCanvas* canvas);

    // The window to show (shared, not copied); the envelope follows what changed.
    void showWindow(const QVector<QCPGraphData>& window);
    void clearWindow();
    const QVector<QCPGraphData>& window() const { return envelope.window(); }
    const ChannelEnvelope& channelEnvelope() const { return envelope; }
    // Whether the last replot drew the envelope (false: the polyline itself).
    bool drewEnvelope() const { return envelopeDrawn; }

    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

    // Fewer samples per pixel column than this: the polyline is drawn.
    static constexpr double minimumSamplesPerColumn = 2.0;

protected:
    void draw(QCPPainter* painter) override;

private:
    bool envelopeApplies() const;
    void followContainer();

    EnvelopeCanvas* canvas;
    ChannelEnvelope envelope;
    ColumnSpans spans;
    bool envelopeDrawn = false;
};

// Paints the envelopes the graphs before it on its layer collected, in one image.
class EnvelopeLayer : public QCPLayerable {
    Q_OBJECT

public:
    EnvelopeLayer(QCustomPlot* plot, EnvelopeCanvas* canvas);

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;
    QRect clipRect() const override;

private:
    EnvelopeCanvas* canvas;
};
