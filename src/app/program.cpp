// Program entry: no command-line arguments are read. The main window stays hidden at start; the
// twelve windows are created in their fixed order, then the message loop runs until Exit.
#include "app/forms.h"
#include "app/qtdialogs.h"
#include "app/systemevents.h"
#include "common/context.h"
#include "platform/platform.h"
#include "tapestron/version.h"
#include "wallpaper/desktoppainter.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(version::ApplicationName));
    // Hidden windows and the tray keep the program alive; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
    AppContext context{system, dialogs, {}};
    Forms forms(context);
    switch (forms.createAll()) {
    case Forms::Start::Run: {
        // The settings window has registered the global hotkey by now.
        SystemEvents systemEvents(*system.hotkeys);
        return QApplication::exec();
    }
    case Forms::Start::Exit:
    case Forms::Start::Duplicate:
        return 0;
    case Forms::Start::Failed:
        return 1;
    }
    return 1;
}
