#include "pluginman.h"

TForm11::TForm11(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Plugin Manager"), QSize(389, 180))
{
}
