#pragma once
// The oscilloscope plot: eight graphs, graph k drawing channel k as its
// envelope, over the whole rolling window of every shown channel. It can be
// frozen while batches keep coming, measured with two cursors, and its
// channels hidden and shown from the legend.

#include <qcustomplot.h>

#include "scope/envelope.h"

class EnvelopeGraph;

class waveDisplay : public QCustomPlot {
    Q_OBJECT

public:
    explicit waveDisplay(QWidget* parent = nullptr);

    // Empties and hides every graph and returns the axes to their start ranges.
    void clearChannels();
    // The channels of a configuration; their graphs become visible and enter the legend.
    void setActiveChannels(const uint8_t* channels, int count);
    // Adopts each shown channel's window (shared, not copied) and fits the axes to all of them;
    // while frozen, only keeps the newest windows for the thaw.
    void showSamples(QVector<QCPGraphData>* windows);

    // Channel k's graph.
    EnvelopeGraph* channelGraph(int k) const;

    // Frozen, the plot keeps what it shows; thawed, it shows the newest windows.
    void setFrozen(bool freeze);
    bool isFrozen() const { return frozen; }

    // The legend's name of channel k.
    void setChannelName(int k, const QString& name);
    // A shown channel hidden from the legend keeps its data but is not drawn.
    void setChannelHidden(int k, bool hidden);
    bool channelHidden(int k) const;
    // Shown by the configuration and not hidden.
    bool channelVisible(int k) const;
    // The axes over the whole windows of the visible channels.
    void showWholeWindow();

    // Cursors A (0) and B (1): placed by clicks, moved by dragging, shown while enabled.
    void setCursorsEnabled(bool enable);
    bool cursorsEnabled() const { return cursorsOn; }
    void placeCursor(int which, double time);
    bool cursorPlaced(int which) const { return cursorSet[which & 1]; }
    double cursorTime(int which) const { return cursorTimes[which & 1]; }

    // The plot as shown, as a PNG image or a one-page PDF.
    bool writePng(QIODevice* device);
    bool writePdf(QIODevice* device);

    uint8_t shownChannels[8] = {};
    int shownChannelCount = 0;

    static const QColor channelColors[8];

signals:
    // Cursors placed or moved, channels hidden or shown, or new data under the cursors.
    void cursorsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setupInteraction();
    void fillLegend();
    void fitAxes();
    int cursorNear(int x) const;
    int legendChannelAt(const QPoint& position) const;  // channel of the legend entry there, or -1

    EnvelopeCanvas envelopeCanvas;
    EnvelopeGraph* graphs[8] = {};

    bool frozen = false;
    bool hasLatest = false;
    QVector<QCPGraphData> latest[8];  // the newest windows while frozen
    uint8_t hiddenChannels = 0;       // bit k: channel k hidden from the legend

    bool cursorsOn = false;
    bool cursorSet[2] = {};
    double cursorTimes[2] = {};
    QCPItemStraightLine* cursorLines[2] = {};
    QCPItemText* cursorTags[2] = {};
    int draggedCursor = -1;
    bool clickPending = false;
    QPoint pressPosition;
};
