#include "wait.h"

TForm10::TForm10(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Wait..."), QSize(160, 64))
{
    // No caption bar: only a thin frame around the message.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(160, 64);
}
