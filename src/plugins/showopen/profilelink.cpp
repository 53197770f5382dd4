#include "profilelink.h"

#include "common/paths.h"

#include <QUrl>

namespace {

const QString Scheme = QStringLiteral("tapestron:");
const QString Target = QStringLiteral("profile/");

} // namespace

bool isProgramLink(const QString& argument)
{
    return argument.startsWith(Scheme, Qt::CaseInsensitive);
}

std::optional<QString> parseProfileLink(const QString& argument)
{
    if (!isProgramLink(argument))
        return std::nullopt;
    QString rest = argument.mid(Scheme.size());
    // Browsers hand on the form with an authority, whose host is "profile".
    if (rest.startsWith(QStringLiteral("//")))
        rest.remove(0, 2);
    if (!rest.startsWith(Target, Qt::CaseInsensitive))
        return std::nullopt;
    rest.remove(0, Target.size());
    if (rest.endsWith(u'/'))
        rest.chop(1);
    // Decoded before it is judged, so "%2F" or "%2E%2E" can not slip a path past the check.
    const QString name = QUrl::fromPercentEncoding(rest.toUtf8());
    if (!isSafeFileName(name))
        return std::nullopt;
    return name;
}
