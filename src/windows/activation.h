#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

class QWidget;

// A window's activation as the program sees it: the window becomes the program's focus window
// after it was shown, or when the user comes back to it from another window of the program (a
// message box, a window it opened). Coming back from another application is no activation, nor
// is the return from a file dialog, whose answer the window is still taking in.
class ProgramActivation : public QObject {
    Q_OBJECT
public:
    ProgramActivation(QWidget& window, std::function<void()> onActivate);
    ~ProgramActivation() override;

    // The window is being shown: its next focus activates it.
    void shown() { pending_ = true; }
    void hidden() { pending_ = false; }

    // The program's focus window changed (nullptr: another application has the focus).
    void focusWindowChanged(QWindow* now);

private:
    QWidget& window_;
    std::function<void()> onActivate_;
    QPointer<QWindow> previous_;
    bool pending_ = false;
};
