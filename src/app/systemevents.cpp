#include "systemevents.h"

SystemEvents::SystemEvents(platform::GlobalHotkeys& hotkeys) : hotkeys_(hotkeys) { watch(); }

// The descriptor changes when the hotkeys had to connect again (the X server restarted), and is
// -1 when there is nothing to watch.
void SystemEvents::watch()
{
    const int descriptor = hotkeys_.systemEventDescriptor();
    if (notifier_ && notifier_->socket() == descriptor)
        return;
    // The old notifier may be the one whose signal is running: it goes once that returns.
    if (notifier_)
        notifier_.release()->deleteLater();
    if (descriptor < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SystemEvents::dispatch);
}

void SystemEvents::dispatch()
{
    hotkeys_.dispatchSystemEvents();
    watch();
}
