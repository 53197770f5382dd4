#pragma once

#include "common/dialogs.h"

// The dialogs as the user sees them: Qt dialogs titled with the application's title, each owned by
// the window that asks and shown above it.
class QtDialogs : public Dialogs {
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QString> askText(const QString& title, const QString& prompt,
                                   const QString& initial) override;
    QStringList chooseFiles(const QString& title, const QString& filter, bool several) override;
};
