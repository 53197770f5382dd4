#include "formbase.h"

#include <QGuiApplication>
#include <QScreen>

FormBase::FormBase(AppContext& context, Forms& forms, const QString& caption, QSize clientSize,
                   bool resizable)
    : QWidget(nullptr), context(context), forms(forms)
{
    setWindowTitle(caption);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
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
