#pragma once

#include <QString>

#include <optional>

// The gallery pages of the service's web site, one for each of the program's 18 default
// categories in their order: the page codes are the program's own, not the catalog's.

inline constexpr int GalleryPageCount = 18;

// The page's path below the service's address for the category list's index: "/galleries.html"
// for 0 ("All"), "/galleries/<page code>/galleries.html" for 1 to 17; none for any other index.
std::optional<QString> galleryPagePath(int index);
