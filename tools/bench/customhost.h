#pragma once

#include "custommode/customshow.h"
#include "wallpaper/apply.h"

#include <QImage>
#include <QStringList>

// What a custom show step needs of the settings and the main window, for the benchmarks that
// run one.
namespace bench {

// The custom group's "Stretched", nothing else.
class StretchedSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return {}; }
    PositionChoice customPosition() const override
    {
        PositionChoice choice;
        choice.stretched = true;
        return choice;
    }
    bool managePosition() const override { return false; }
    bool transparentText() const override { return false; }
};

// The main window's part, reduced to keeping the list, the preview and the last balloon.
class CustomHost : public CustomShowHost {
public:
    QStringList& showList() override { return list; }
    bool balloonsDisabled() const override { return false; }
    void showBalloon(const QString& text) override { last = text; }
    void clearBalloon() override {}
    void setTrayAnimated(bool) override {}
    QSize previewSize() const override { return {421, 270}; }
    void showPreview(const QImage& image) override { preview = image; }
    void startTidyUp() override {}
    void finishStep() override {}

    // Runs one step on entry; true when it succeeded and showed a preview.
    bool step(platform::Platform& system, const WallpaperSettings& settings, const QString& entry)
    {
        list = {entry};
        last.clear();
        preview = QImage();
        NextCustomWallpaper(system, settings, *this);
        return last == QLatin1String("New Wallpaper set successfully!") && !preview.isNull();
    }

    QStringList list;
    QString last;
    QImage preview;
};

} // namespace bench
