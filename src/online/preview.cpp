#include "preview.h"

TForm8::TForm8(AppContext& context, Forms& forms)
    : FormBase(
          context, forms,
          QStringLiteral("Wallpaper Previews - Here you can view samples from selected category."),
          QSize(600, 529))
{
}
