#include "scope/opaquebuffer.h"

OpaquePaintBuffer::OpaquePaintBuffer(const QSize& size, double devicePixelRatio, const QColor& background)
    : QCPAbstractPaintBuffer(size, devicePixelRatio), background(background.rgb())
{
    OpaquePaintBuffer::reallocateBuffer();
}

QCPPainter* OpaquePaintBuffer::startPainting()
{
    return new QCPPainter(&picture);
}

void OpaquePaintBuffer::draw(QCPPainter* painter) const
{
    if (!painter || !painter->isActive())
        return;
    // Every pixel is opaque: a copy, not a blend, gives the same picture.
    const QPainter::CompositionMode mode = painter->compositionMode();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(0, 0, picture);
    painter->setCompositionMode(mode);
}

void OpaquePaintBuffer::clear(const QColor&)
{
    picture.fill(background);
}

void OpaquePaintBuffer::reallocateBuffer()
{
    setInvalidated();
    // With an alpha channel, text is blended as on the plot's usual transparent buffers.
    picture = QImage(mSize * mDevicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(mDevicePixelRatio);
    picture.fill(background);
}
