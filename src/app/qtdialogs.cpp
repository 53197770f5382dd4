#include "qtdialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

namespace {

QString title() { return QCoreApplication::applicationName(); }

bool keptOnTop(const QWidget* window)
{
    return window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// The window that asks: a dialog already open, else the window the user works in, else a window
// of the program kept on top (a timer or the tray menu asks while it is open), else none.
QWidget* askingWindow()
{
    if (QWidget* dialog = QApplication::activeModalWidget())
        return dialog;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto onTop = std::find_if(windows.begin(), windows.end(), keptOnTop);
    return onTop != windows.end() ? *onTop : nullptr;
}

// A dialog made by its caller with askingWindow() as its owner, which keeps it above that window.
// While a window of the program stays on top of all others, so does the dialog: it would open
// behind that window otherwise, and the program would look frozen.
int execAbove(QDialog& dialog)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint,
                         std::any_of(windows.begin(), windows.end(), keptOnTop));
    return dialog.exec();
}

int messageBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title(), text, buttons, askingWindow());
    return execAbove(box);
}

} // namespace

void QtDialogs::showMessage(const QString& text)
{
    messageBox(QMessageBox::Information, text, QMessageBox::Ok);
}

void QtDialogs::showError(const QString& text)
{
    messageBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text)
{
    return messageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial)
{
    QColorDialog dialog(initial, askingWindow());
    dialog.setWindowTitle(title());
    if (execAbove(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

QStringList QtDialogs::chooseFiles(const QString& title, const QString& filter)
{
    QFileDialog dialog(askingWindow(), title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (execAbove(dialog) != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    for (QString& file : files)
        file = QDir::toNativeSeparators(file);
    return files;
}
