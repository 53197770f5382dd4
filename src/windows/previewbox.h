#pragma once

#include <QFrame>
#include <QImage>

// A picture control in a sunken frame or none; it shows a box-sized preview as it is. A box may be
// resized after its picture was made: the picture is then centred, or stretched over the box once
// told so.
class PreviewBox : public QFrame {
    Q_OBJECT
public:
    enum class Frame { Sunken, None };

    PreviewBox(QSize size, QWidget* parent = nullptr, Frame frame = Frame::Sunken);

    // The size previews are made for (the frame's inside).
    QSize boxSize() const { return size_; }
    void setBoxSize(QSize size);
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    // A picture of another size than the box fills the box instead of sitting in its middle.
    void setStretched(bool stretched);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize size_;
    QImage picture_;
    bool stretched_ = false;
};
