#pragma once

#include <string>
#include <string_view>
#include <vector>

// FNV-1a: the same number for the same text on every run and every system.
unsigned stableHash(std::string_view text);

// A folder or file as it is really called: "Summer 2024", or "Strand bei Kühlungsborn" + ".JPG".
struct RealName {
    std::string stem;
    std::string extension; // kept as it is; empty for a folder
    std::string key;       // the real name with its folder, unique in the collection
};

// The names under which the service offers names (in their order): each one the client accepts
// as one URL segment and as a file name of its own (isSafeFileName, stem and whole name), and no
// two equal ignoring case, since the client keeps one file per name where case is ignored. A name
// the client takes as it is stays as it is; the others are spelt in plain ASCII ("Kühlungsborn" ->
// "Kuhlungsborn", a run of anything else as one "_"), or become fallback when nothing of them is
// left. When that is refused or taken, "-" and eight hex digits of the key are added to the stem,
// and then, if ever needed, a counter. The same names in the same order give the same result, so
// a collection keeps its URLs (and the client its cache) from one run to the next.
std::vector<std::string> safeNames(const std::vector<RealName>& names, std::string_view fallback);
