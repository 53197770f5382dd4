// The main window's share of the program's start: protocol, catalog, folders and the mode the
// program last ran in.
#include "main.h"

#include "common/context.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/timer.h"
#include "custommode/profiles.h"
#include "plugins/importstaging.h"
#include "plugins/protocol.h"
#include "wallpaper/picture.h"
#include "windows/previewbox.h"

void TForm1::FormCreate()
{
    // Each piece reports its own failure and the start goes on: a refused registry write or a
    // damaged catalog must not keep the program from running in the tray.
    Dialogs& dialogs = context.dialogs;
    runGuarded(dialogs, [this] { RegisterShowOpenProtocol(*context.platform.registry, context); });
    runGuarded(dialogs, [this] { LoadCategoryCodes(); });
    runGuarded(dialogs, [this] {
        for (PreviewBox* box : {Image1, Image2})
            box->setPicture(ShowPreviewScaled(
                LoadPictureAsBitmap(context.programPath(QStringLiteral("data/noimg.jpg"))),
                box->boxSize()));
    });
    createUserFolders();
    removeStaleImportFolders();
    removeStaleTemporaryFiles(context.programPath(QStringLiteral("data")));
    runGuarded(dialogs, [this] { LoadCategoryNames(); });
    runGuarded(dialogs, [this] { restoreMode(); });
}

void TForm1::restoreMode()
{
    const SettingsFile settings;
    // Anything but custom starts the automatic mode.
    if (settings.defaultMode() == Mode::Custom) {
        SelectCustomMode();
        try {
            ShowList = readProfile(settings.currentProfile());
        } catch (const AppError&) {
            // The first custom step reads the profile again and reports it in its balloon; a
            // message box at every start would say the same thing less usefully.
            ShowList.clear();
        }
        return;
    }
    SelectAutomaticMode();
    createUserFolders();
    if (ReloadPendingList(
            QStringLiteral("Can not retrive wallpaper lists. Check your Internet Connection."),
            false))
        Timer3->setEnabled(true);
}
