#include "finfo.h"

TForm12::TForm12(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Plugin Info"), QSize(363, 238))
{
}
