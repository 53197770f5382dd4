#pragma once

#include "common/mode.h"
#include "wallpaper/apply.h"

#include <QString>

#include <cstdint>
#include <optional>

// The live settings as the rest of the program reads them: the settings window's controls (and
// the advanced options' check box), asked at the moment the value is needed. Unsaved edits count.
class LiveSettings : public WallpaperSettings {
public:
    // "Disable tray Balloon Tips"
    virtual bool balloonsDisabled() const = 0;
    // "Automatic Run Wallpaper show at Tapestron start"
    virtual bool showAtProgramStart() const = 0;
    // "Check for new version at Tapestron startup"
    virtual bool checkForUpdatesAtStart() const = 0;
    // The change period of mode's "Reload every" value and unit; none while they make no period
    // (the period then stays as it was).
    virtual std::optional<std::uint32_t> showPeriod(Mode mode) const = 0;
    // mode's "Reload every" value as typed and the index of its unit (-1 for none; Neither: "" and
    // -1).
    virtual QString reloadTimeText(Mode mode) const = 0;
    virtual int reloadUnitIndex(Mode mode) const = 0;
    // The download cache's size limit as typed.
    virtual QString tempCacheLimit() const = 0;
};
