#include "pedit.h"

TForm7::TForm7(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Profile Editor"), QSize(447, 421))
{
}
