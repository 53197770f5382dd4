#pragma once

#include "common/dialogs.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace bench {

// Dialogs for a benchmark's copy of the program: texts go to stderr, questions are answered no,
// so nothing waits for a click, and file dialogs are cancelled.
class PrintingDialogs : public Dialogs {
public:
    explicit PrintingDialogs(const char* program) : program_(program) {}
    void showMessage(const QString& text) override { print("message", text); }
    void showError(const QString& text) override { print("error", text); }
    bool askYesNo(const QString& text) override
    {
        print("question", text);
        return false;
    }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }

private:
    void print(const char* kind, const QString& text) const
    {
        std::fprintf(stderr, "%s: %s: %s\n", program_, kind, qPrintable(text));
    }

    const char* program_;
};

} // namespace bench
