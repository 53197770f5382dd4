#include "activation.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

bool isFileDialog(const QWindow* window)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [window](QWidget* widget) {
        return widget->windowHandle() == window && qobject_cast<QFileDialog*>(widget);
    });
}

} // namespace

ProgramActivation::ProgramActivation(QWidget& window, std::function<void()> onActivate)
    : window_(window), onActivate_(std::move(onActivate)), previous_(QGuiApplication::focusWindow())
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* now) { focusWindowChanged(now); });
}

// The focus may still move while the window is torn down.
ProgramActivation::~ProgramActivation() { disconnect(qGuiApp, nullptr, this, nullptr); }

// Only one window of the program has the focus at a time, and none while another application
// has it; so a focus that comes from nowhere comes from outside the program.
void ProgramActivation::focusWindowChanged(QWindow* now)
{
    const bool fromProgram = !previous_.isNull() && !isFileDialog(previous_);
    previous_ = now;
    if (!now || now != window_.windowHandle() || !window_.isVisible())
        return;
    if (std::exchange(pending_, false) || fromProgram)
        onActivate_();
}
