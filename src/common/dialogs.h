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
    // A one-line text question titled title, opened on initial; the text given, nullopt on Cancel.
    virtual std::optional<QString> askText(const QString& title, const QString& prompt,
                                           const QString& initial) = 0;
    // The file-open dialog for existing files, titled title (empty: the system's own title).
    // filter is pairs of "text|patterns", all joined by "|", patterns apart by ";"
    // ("Bitmaps (*.bmp)|*.bmp|All|*.*"); several files may be chosen when several is set. There is
    // no read-only option. The chosen files' full paths with the system's separators, in the
    // dialog's order; empty on Cancel.
    virtual QStringList chooseFiles(const QString& title, const QString& filter, bool several) = 0;
};
