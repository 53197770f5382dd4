#pragma once

#include <QString>

#include <optional>

// Whether argument is a link of the program's protocol ("tapestron:", any letter case) rather
// than the path of a file.
bool isProgramLink(const QString& argument);

// The profile name of a link "tapestron:profile/NAME" or "tapestron://profile/NAME" (any letter
// case before NAME, one trailing "/" allowed, NAME percent-decoded), or nullopt when the argument
// is no such link or NAME is not one safe file name (isSafeFileName). Links come from any web page:
// nothing else of them is used.
std::optional<QString> parseProfileLink(const QString& argument);
