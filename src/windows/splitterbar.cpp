#include "splitterbar.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget* parent, std::function<void(int top)> dragged)
    : QWidget(parent), dragged_(std::move(dragged))
{
    setCursor(Qt::SplitVCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        grip_ = event->position().toPoint().y();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        dragged_(mapToParent(event->position().toPoint()).y() - grip_);
}
