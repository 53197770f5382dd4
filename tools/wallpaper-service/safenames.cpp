#include "safenames.h"

#include "common/paths.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <set>
#include <utility>

namespace {

// Leaves room for the key, a counter and ".jpeg" within the client's 128 characters.
constexpr std::size_t MaxStemLength = 100;

// Letters that have no decomposition into a base letter and an accent.
constexpr std::pair<char16_t, const char*> Spellings[] = {
    {u'ß', "ss"}, {u'æ', "ae"}, {u'Æ', "AE"}, {u'œ', "oe"}, {u'Œ', "OE"}, {u'ø', "o"},
    {u'Ø', "O"},  {u'ł', "l"},  {u'Ł', "L"},  {u'đ', "d"},  {u'Đ', "D"},
};

const char* spelling(char16_t u)
{
    const auto* found = std::find_if(std::begin(Spellings), std::end(Spellings),
                                     [u](const auto& s) { return s.first == u; });
    return found == std::end(Spellings) ? nullptr : found->second;
}

bool isPlainNameCharacter(char16_t u)
{
    return u < 0x80 && (std::isalnum(u) || std::strchr("-_.~@+", char(u)) != nullptr);
}

// The real name in the characters the client takes; empty when no letter or digit is left.
std::string plainAscii(std::string_view real)
{
    // The compatibility decomposition splits "ü" into "u" and an accent, and "ﬁ" into "fi".
    const QString text = QString::fromUtf8(real.data(), qsizetype(real.size()))
                             .normalized(QString::NormalizationForm_KD);
    std::string out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isPlainNameCharacter(u))
            out += char(u);
        else if (const char* spelt = spelling(u))
            out += spelt;
        else if (!c.isMark() && (out.empty() || out.back() != '_'))
            out += '_';
    }
    if (out.size() > MaxStemLength)
        out.resize(MaxStemLength);
    // Neither a hidden file nor a name that Windows would cut short.
    const auto first = out.find_first_not_of('.');
    const auto last = out.find_last_not_of('.');
    out = first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
    const bool meaningful =
        std::any_of(out.begin(), out.end(), [](unsigned char ch) { return std::isalnum(ch); });
    return meaningful ? out : std::string();
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

class Claims {
public:
    bool available(const std::string& stem, const std::string& extension) const
    {
        // The client checks the stem alone too: it names the picture's bitmap in its cache.
        return isSafeFileName(QString::fromLatin1(stem)) &&
               isSafeFileName(QString::fromLatin1(stem + extension)) &&
               !taken_.contains(lower(stem));
    }
    std::string take(const std::string& stem, const std::string& extension)
    {
        taken_.insert(lower(stem));
        return stem + extension;
    }

private:
    std::set<std::string> taken_; // stems in lower case
};

} // namespace

unsigned stableHash(std::string_view text)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    return h;
}

std::vector<std::string> safeNames(const std::vector<RealName>& names, std::string_view fallback)
{
    Claims claims;
    std::vector<std::optional<std::string>> result(names.size());
    // Names that need no change go first, so that one spelt like them can not push them aside.
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (claims.available(names[i].stem, names[i].extension))
            result[i] = claims.take(names[i].stem, names[i].extension);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (result[i])
            continue;
        std::string stem = plainAscii(names[i].stem);
        if (stem.empty())
            stem = fallback;
        if (!claims.available(stem, names[i].extension)) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "-%08x", stableHash(names[i].key));
            stem += suffix;
            const std::string keyed = stem;
            for (int n = 2; !claims.available(stem, names[i].extension); ++n)
                stem = keyed + "-" + std::to_string(n);
        }
        result[i] = claims.take(stem, names[i].extension);
    }
    std::vector<std::string> out;
    for (auto& name : result)
        out.push_back(std::move(*name));
    return out;
}
