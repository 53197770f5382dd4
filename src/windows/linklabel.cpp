#include "linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::setLinkColour(const QColor& colour)
{
    QPalette shades = palette();
    shades.setColor(QPalette::WindowText, colour);
    setPalette(shades);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    // A press dragged off the link and released elsewhere is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    if (onMouseEnter)
        onMouseEnter();
}

void LinkLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (onMouseLeave)
        onMouseLeave();
}
