#include "fuzzsupport.h"

#include "common/paths.h"
#include "plugins/showopen/profilelink.h"

#include <QUrl>

// Links of the program's protocol come from any web page: a name taken from one must be a single
// safe file name that stays in the profiles folder, and parsing it again gives it back.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString link = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QString> name = parseProfileLink(link);
    if (!name)
        return 0;
    fuzzCheck(isProgramLink(link), "only a link of the protocol names a profile");
    fuzzCheck(isSafeFileName(*name), "a profile name is one safe file name");
    const QString profiles = userDataPath(QStringLiteral("Profiles"));
    fuzzCheck(directlyIn(joinPath(profiles, *name + QStringLiteral(".tsl")), profiles),
              "a profile stays in its folder");
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(*name));
    fuzzCheck(parseProfileLink(QStringLiteral("tapestron:profile/") + encoded) == name,
              "a profile's own link names it again");
    return 0;
}
