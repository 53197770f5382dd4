#pragma once

#include "common/dialogs.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace bench {

// Dialogs for a benchmark's copy of the program: texts go to stderr, questions are answered no or
// cancelled, so nothing waits for a click.
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
    // A name question answered with Cancel: a caller that asks again until it gets a name would
    // loop, so benchmarks do not reach one.
    std::optional<QString> askText(const QString& title, const QString& prompt,
                                   const QString&) override
    {
        print("question", title + QStringLiteral(": ") + prompt);
        return std::nullopt;
    }
    QStringList chooseFiles(const QString&, const QString&, bool) override { return {}; }

private:
    void print(const char* kind, const QString& text) const
    {
        std::fprintf(stderr, "%s: %s: %s\n", program_, kind, qPrintable(text));
    }

    const char* program_;
};

} // namespace bench
