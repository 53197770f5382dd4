#pragma once

#include "platform/desktop.h"

// The program's picture code lent to the platform's desktop, for desktops that need a wallpaper
// drawn for them: pictures of every kind the program reads (told by content, since the desktop's
// file may hold a copy of any picture of the user's), placed as the Windows desktop places them.
class DesktopPainter final : public platform::PicturePainter {
public:
    bool paint(const std::string& path, platform::Placement placement, int x, int y,
               std::uint32_t background, int width, int height, std::uint32_t* canvas) override;
    std::optional<platform::ScreenSize> primaryScreenSize() override;
};
