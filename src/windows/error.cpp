#include "error.h"

TForm5::TForm5(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Error"), QSize(350, 150), true)
{
}
