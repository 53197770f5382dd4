#include "wizard.h"

TForm4::TForm4(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Tapestron Wizard"), QSize(465, 389))
{
}
