#pragma once

#include <QFrame>
#include <QImage>

// A picture control of fixed size, in a sunken frame or none; it shows a box-sized preview as it
// is.
class PreviewBox : public QFrame {
    Q_OBJECT
public:
    enum class Frame { Sunken, None };

    PreviewBox(QSize size, QWidget* parent = nullptr, Frame frame = Frame::Sunken);

    // The size previews are made for (the frame's inside).
    QSize boxSize() const { return size_; }
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize size_;
    QImage picture_;
};
