#pragma once

#include <QColor>
#include <QString>

#include <optional>

// Every modal dialog the program shows goes through this interface: the program shows Qt dialogs,
// tests script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain message box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The general error report: an error that a handler did not handle itself.
    virtual void showError(const QString& text) = 0;
    // A confirmation with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The colour dialog (solid colours, any colour allowed) opened on initial; nullopt on Cancel.
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
};
