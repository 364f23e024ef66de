#pragma once
// A plot's only paint buffer, as an image of opaque pixels: clearing fills it
// with the plot's background, so the widget is painted by copying it, with
// nothing drawn under it and nothing blended.

#include <qcustomplot.h>

class OpaquePaintBuffer : public QCPAbstractPaintBuffer {
public:
    OpaquePaintBuffer(const QSize& size, double devicePixelRatio, const QColor& background);

    QCPPainter* startPainting() override;
    void draw(QCPPainter* painter) const override;
    // The colour asked for is the transparent of a buffer stacked over others; this one is the bottom.
    void clear(const QColor& ignored) override;

protected:
    void reallocateBuffer() override;

private:
    QImage picture;
    QColor background;
};
