#include "about.h"

TForm3::TForm3(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("About"), QSize(354, 235))
{
}
