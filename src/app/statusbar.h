#pragma once

#include "online/httpclient.h"

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

// A body's progress on the status bar's progress bar. A body of unknown size leaves the bar
// empty: a bar without a maximum would show a busy animation for as long as it stays so.
class StatusBarProgress final : public HttpProgress {
public:
    explicit StatusBarProgress(QProgressBar& bar) : bar_(bar) {}
    void workBegin(std::int64_t expectedTotal) override;
    void work(std::int64_t bytesSoFar) override;

private:
    QProgressBar& bar_;
    bool sized_ = false;
};
