#pragma once

#include <QLabel>

#include <functional>

// A label that acts as a web link: a pointing hand over it, and the window's handlers for a click
// and for the pointer entering and leaving it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QWidget* parent);

    // The text's colour.
    void setLinkColour(const QColor& colour);

    std::function<void()> onClick;
    std::function<void()> onMouseEnter;
    std::function<void()> onMouseLeave;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
