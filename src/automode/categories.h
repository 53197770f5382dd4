#pragma once

#include <QStringList>

// The category display names every category selector holds until the catalog file replaces them.
QStringList defaultCategoryNames();
