#include "collectfiles.h"

#include "platform/files.h"
#include "strings.h"

#include <QCoreApplication>

void CollectFiles(const QString& folder, const QString& mask, QStringList& list)
{
    const QChar sep = QLatin1Char(platform::pathSeparator());
    const QString base = folder.endsWith(sep) ? folder : folder + sep;

    using namespace platform;
    for (const FoundFile& found : findFiles(toStd(base), toStd(mask))) {
        if (found.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        QCoreApplication::processEvents();
        list.append(base + fromStd(found.name));
    }
    for (const FoundFile& found : findFiles(toStd(base), "*.*")) {
        const std::uint32_t skipped =
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
        if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY) || (found.attributes & skipped) ||
            found.name == "." || found.name == "..")
            continue;
        CollectFiles(base + fromStd(found.name), mask, list);
    }
}
