#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

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
    // The file-open dialog with its title and one filter ("Executables (*.exe)"): the full paths,
    // with native separators, of the existing files the user picked; empty on Cancel.
    virtual QStringList chooseFiles(const QString& title, const QString& filter) = 0;
};
