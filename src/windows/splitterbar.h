#pragma once

#include <QWidget>

#include <functional>

// A bar across a window laid out by hand, dragged up and down to share the height between the
// part above it and the part below. It only reports where the user wants it; the window decides
// how far it may go and lays itself out again.
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    // dragged gets the bar's wished top edge in the parent's coordinates.
    SplitterBar(QWidget* parent, std::function<void(int top)> dragged);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::function<void(int)> dragged_;
    int grip_ = 0; // where in the bar the pointer took it
};
