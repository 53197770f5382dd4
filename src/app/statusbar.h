#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QProgressBar;

// The main window's status bar: three panels of fixed widths (170, 100, 150 pixels); the progress
// bar lies over the second one.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QRect panelRect(int index) const;

    QProgressBar* ProgressBar1;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Keeps the progress bar on exactly the second panel.
    void StatusBar1DrawPanel();

    std::array<QLabel*, 3> panels_;
};
