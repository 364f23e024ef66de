#pragma once
// The oscilloscope plot: eight graphs, graph k drawing channel k, over the
// whole rolling window of every shown channel.

#include <qcustomplot.h>

class waveDisplay : public QCustomPlot {
    Q_OBJECT

public:
    explicit waveDisplay(QWidget* parent = nullptr);

    static const QColor channelColors[8];
};
