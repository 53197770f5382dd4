#include "qtdialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QMessageBox>

namespace {
QString title() { return QCoreApplication::applicationName(); }
} // namespace

void QtDialogs::showMessage(const QString& text)
{
    QMessageBox::information(nullptr, title(), text);
}

void QtDialogs::showError(const QString& text) { QMessageBox::critical(nullptr, title(), text); }

bool QtDialogs::askYesNo(const QString& text)
{
    return QMessageBox::question(nullptr, title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, nullptr, title());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
