#include "systemtexts.h"

#include "platform/system.h"

const SystemTexts& systemTexts()
{
    static const SystemTexts windows{
        QStringLiteral("Tapestron - Windows Wallpaper Changer"),
        QStringLiteral("Run at Windows Startup"),
        QStringLiteral("Leave this checked and Tapestron will run when Windows Boot up."),
    };
    static const SystemTexts other{
        QStringLiteral("Tapestron - Wallpaper Changer"),
        QStringLiteral("Run at log-in"),
        QStringLiteral("Leave this checked and Tapestron will run when you log in."),
    };
    return platform::systemIsWindows() ? windows : other;
}
