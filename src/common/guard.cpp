#include "guard.h"

#include <QString>

#include <exception>

void runGuarded(Dialogs& dialogs, const std::function<void()>& handler) noexcept
{
    try {
        try {
            handler();
        } catch (const std::exception& error) {
            dialogs.showError(QString::fromUtf8(error.what()));
        } catch (...) {
            dialogs.showError(QStringLiteral("Unknown error."));
        }
    } catch (...) {
        // The report itself failed: there is nobody left to tell, and the event loop must go on.
    }
}
