#include "previewbox.h"

#include <QPainter>

PreviewBox::PreviewBox(QSize size, QWidget* parent, Frame frame) : QFrame(parent)
{
    setFrameStyle(frame == Frame::Sunken ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(1);
    setBoxSize(size);
}

void PreviewBox::setBoxSize(QSize size)
{
    size_ = size;
    setFixedSize(size + QSize(2 * frameWidth(), 2 * frameWidth()));
}

void PreviewBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PreviewBox::setStretched(bool stretched)
{
    stretched_ = stretched;
    update();
}

void PreviewBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect box = contentsRect();
    painter.setClipRect(box); // a larger picture never covers the frame
    if (stretched_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(box, picture_);
        return;
    }
    QRect placed(QPoint(), picture_.size());
    placed.moveCenter(box.center());
    painter.drawImage(placed, picture_);
}
