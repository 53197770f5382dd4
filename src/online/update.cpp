#include "update.h"

TForm6::TForm6(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Update"), QSize(321, 72))
{
    setWindowFlags(Qt::Tool);
    setFixedSize(321, 72);
}
