#include "previewbox.h"

#include <QPainter>

PreviewBox::PreviewBox(QSize size, QWidget* parent, Frame frame) : QFrame(parent), size_(size)
{
    setFrameStyle(frame == Frame::Sunken ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(1);
    setFixedSize(size + QSize(2 * frameWidth(), 2 * frameWidth()));
}

void PreviewBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PreviewBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), picture_);
}
