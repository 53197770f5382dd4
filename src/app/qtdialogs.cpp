#include "qtdialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

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
    box.setTextFormat(Qt::PlainText); // messages quote file and profile names
    return execAbove(box);
}

// "Bitmaps (*.bmp)|*.bmp|All|*.*" as Qt's filters "Bitmaps (*.bmp)", "All (*.*)": Qt reads the
// patterns from the brackets at the end of each text, apart by blanks.
QStringList nameFilters(const QString& filter)
{
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        text.remove(shownPatterns);
        filters.append(
            QStringLiteral("%1 (%2)").arg(text, QString(parts[i + 1]).replace(u';', u' ')));
    }
    return filters;
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

std::optional<QString> QtDialogs::askText(const QString& title, const QString& prompt,
                                          const QString& initial)
{
    QInputDialog dialog(askingWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (execAbove(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QStringList QtDialogs::chooseFiles(const QString& title, const QString& filter, bool several)
{
    QFileDialog dialog(askingWindow(), title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(filter));
    if (execAbove(dialog) != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    for (QString& file : files)
        file = QDir::toNativeSeparators(file);
    return files;
}
