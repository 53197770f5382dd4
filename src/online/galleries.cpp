#include "galleries.h"

#include <array>

namespace {

constexpr std::array<const char*, GalleryPageCount - 1> PageCodes{
    "digi_2d",         "digi_3d_char",  "digi_3d_obj",       "digi_3d_sce",       "digi_cart_anime",
    "digi_cart_trad",  "photo_abs",     "photo_nat_abs",     "photo_nat_animals", "photo_nat_land",
    "photo_nat_macro", "photo_nat_sea", "photo_ppl_fashion", "photo_ppl_port",    "photo_urb_arch",
    "photo_urb_ind",   "photo_urb_str"};

} // namespace

std::optional<QString> galleryPagePath(int index)
{
    if (index == 0)
        return QStringLiteral("/galleries.html");
    if (index < 1 || index >= GalleryPageCount)
        return std::nullopt;
    return QStringLiteral("/galleries/%1/galleries.html")
        .arg(QLatin1String(PageCodes[static_cast<std::size_t>(index - 1)]));
}
