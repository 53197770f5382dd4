#include "profiles.h"

#include "common/paths.h"
#include "common/textlist.h"

QString profileListEntry(const QString& profilePath)
{
    return QStringLiteral("%1 (%2)").arg(fileNameOf(profilePath)).arg(readTextLines(profilePath).size());
}

QString profileNameOfEntry(const QString& entry)
{
    const qsizetype suffix = entry.lastIndexOf(QStringLiteral(" ("));
    return suffix < 0 ? entry : entry.left(suffix);
}
