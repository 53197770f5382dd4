#include "formbase.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

namespace {
// The windows are laid out for Tahoma 8 pt; where it is missing, Liberation Sans keeps the texts
// within their places (the usual fallback is much wider).
QFont programFont()
{
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    return QFont(QStringLiteral("Tahoma"), 8);
}
} // namespace

FormBase::FormBase(AppContext& context, Forms& forms, const QString& caption, QSize clientSize,
                   bool resizable)
    : QWidget(nullptr), context(context), forms(forms)
{
    setWindowTitle(caption);
    setFont(programFont());
    if (resizable) {
        resize(clientSize);
    } else {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
        setFixedSize(clientSize);
    }
}

void FormBase::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void FormBase::setDisabledBy(const QWidget& window, bool disabled)
{
    if (disabled)
        disabledBy_.insert(&window);
    else
        disabledBy_.remove(&window);
    setEnabled(disabledBy_.isEmpty());
}

void FormBase::setTopmost(bool topmost) { setWindowFlag(Qt::WindowStaysOnTopHint, topmost); }

void refillKeepingChoice(QComboBox& list, const QStringList& items)
{
    const int choice = list.currentIndex();
    list.clear();
    list.addItems(items);
    list.setCurrentIndex(choice < list.count() ? choice : -1);
}
