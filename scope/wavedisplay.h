#pragma once
// The oscilloscope plot: eight graphs, graph k drawing channel k as its
// envelope, over the whole rolling window of every shown channel.

#include <qcustomplot.h>

#include "scope/envelope.h"

class EnvelopeGraph;

class waveDisplay : public QCustomPlot {
    Q_OBJECT

public:
    explicit waveDisplay(QWidget* parent = nullptr);

    // Empties and hides every graph and returns the axes to their start ranges.
    void clearChannels();
    // The channels of a configuration; their graphs become visible.
    void setActiveChannels(const uint8_t* channels, int count);
    // Adopts each shown channel's window (shared, not copied) and fits the axes to all of them.
    void showSamples(QVector<QCPGraphData>* windows);

    // Channel k's graph.
    EnvelopeGraph* channelGraph(int k) const;

    uint8_t shownChannels[8] = {};
    int shownChannelCount = 0;

    static const QColor channelColors[8];

private:
    EnvelopeCanvas envelopeCanvas;
    EnvelopeGraph* graphs[8] = {};
};
