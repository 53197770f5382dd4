#pragma once

#include "platform/hotkeys.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Hotkey presses that come from outside Qt's own event sources (an X session's key grabs): their
// descriptor is watched by the message loop and the presses handed on as they arrive.
class SystemEvents : public QObject {
public:
    explicit SystemEvents(platform::GlobalHotkeys& hotkeys);

private:
    void watch();
    void dispatch();

    platform::GlobalHotkeys& hotkeys_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
