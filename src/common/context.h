#pragma once

#include "dialogs.h"
#include "paths.h"
#include "platform/platform.h"

#include <QString>

// What every window and step is given by the composition root: the system, the dialogs, and where
// the program's own files are.
struct AppContext {
    platform::Platform& platform;
    Dialogs& dialogs;
    // Empty: the folder of the running executable. Tests point it at a copy of their own.
    QString programDirOverride;

    // The program's folder, ending in the native separator.
    QString programDir() const;
    // programDir() + name ("data/cat.tsl" gives ...\data\cat.tsl).
    QString programPath(const QString& name) const;
    // The executable the shell should start: programDir() + the program's documented file name.
    QString programExecutablePath() const;
};
