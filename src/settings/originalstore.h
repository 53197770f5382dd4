#pragma once

#include "common/settingstable.h"
#include "wallpaper/original.h"

// The saved original wallpaper's values in the [OriginalWallpaper] section of the settings file.
class SettingsOriginalStore final : public OriginalWallpaperStore {
public:
    SettingsOriginalStore() = default;
    explicit SettingsOriginalStore(SettingsFile file) : file_(std::move(file)) {}

    bool saved() const override { return file_.originalSaved(); }
    QString text(OriginalValue value) const override;
    int integer(OriginalValue value) const override;
    void write(OriginalValue value, const QString& text) override;

private:
    SettingsFile file_;
};
