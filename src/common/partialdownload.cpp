#include "partialdownload.h"

#include "paths.h"
#include "platform/files.h"
#include "strings.h"

QString partialDownloadPath(const QString& target)
{
    const QString name = fileNameOf(target);
    return target.left(target.size() - name.size()) + u'.' + name + QStringLiteral(".part");
}

void removeAbandonedDownloads(const QString& folder)
{
    for (const platform::FoundFile& found : platform::findFiles(toStd(folder), ".*.part")) {
        if (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string path = toStd(joinPath(folder, fromStd(found.name)));
        // A running transfer holds its file exclusively, so one that can be taken is abandoned.
        const bool abandoned = platform::createExclusiveFile(path) != nullptr;
        if (abandoned)
            platform::deleteFile(path);
    }
}
