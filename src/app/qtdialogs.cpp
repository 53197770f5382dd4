#include "qtdialogs.h"

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
