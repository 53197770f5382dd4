#include "catalog.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "platform/files.h"

#include <algorithm>

namespace {

bool isUsableLine(const QString& line, CatalogLines lines)
{
    if (line.isEmpty())
        return true;
    if (lines == CatalogLines::Codes)
        return isSafeFileName(line);
    return line.size() <= MaxCategoryNameLength &&
           std::all_of(line.begin(), line.end(), [](QChar c) { return c.isPrint(); });
}

} // namespace

bool isUsableCatalog(const QString& path, CatalogLines lines)
{
    try {
        const QStringList content = readTextList(path);
        return std::any_of(content.begin(), content.end(),
                           [](const QString& line) { return !line.isEmpty(); }) &&
               std::all_of(content.begin(), content.end(),
                           [lines](const QString& line) { return isUsableLine(line, lines); });
    } catch (const AppError&) {
        return false;
    }
}

void RefreshCatalogFile(FileDownloader& http, const QString& path, const QString& backupPath,
                        const QString& serverPath, CatalogLines lines)
{
    const QString download = path + QStringLiteral(".part");
    try {
        http.DownloadFile(serviceBaseUrl() + serverPath, download, DownloadKind::Text);
        if (isUsableCatalog(download, lines)) {
            // Refused once a backup exists: the first good copy stays the fallback.
            platform::moveFileNoReplace(toStd(path), toStd(backupPath));
            if (!platform::moveFileReplacing(toStd(download), toStd(path)))
                platform::deleteFile(toStd(download));
        } else {
            // An answer that is no catalog counts as no answer: the last good copy stays.
            platform::deleteFile(toStd(download));
        }
        if (!platform::fileExists(toStd(path)))
            platform::copyFileReplacing(toStd(backupPath), toStd(path));
    } catch (const std::exception&) {
        // A catalog that can not be refreshed is used as it is.
    }
}

QStringList readCategoryCodes(const QString& path)
{
    QStringList codes;
    try {
        for (const QString& line : readTextList(path).mid(0, CategoryCodeCapacity))
            codes.append(line.isEmpty() ? QStringLiteral("") : line);
    } catch (const AppError&) {
        // No catalog at all: every category is unusable until one is installed again.
    }
    while (codes.size() < CategoryCodeCapacity)
        codes.append(QString());
    return codes;
}

int selectedCategoryIndex() { return SettingsFile().category().value_or(0); }

QString categoryCode(const QStringList& codes, int index)
{
    if (index < 0 || index >= codes.size())
        throw AppError(QStringLiteral("There is no category %1.").arg(index));
    const QString& code = codes.at(index);
    // An empty line is how the service leaves a category out; only past the lines is there none.
    if (code.isEmpty() && !code.isNull())
        return code;
    if (!isSafeFileName(code))
        throw AppError(QStringLiteral("The category %1 has no usable code.").arg(index));
    return code;
}

void ReloadPendingList(FileDownloader& http, const QStringList& codes, QStringList& pending,
                       bool clearFirst)
{
    const QString code = categoryCode(codes, selectedCategoryIndex());
    if (code.isEmpty()) {
        // No list to download: this loads nothing, as a failed download does.
        if (clearFirst)
            pending.clear();
        return;
    }
    const QString local = userDataPath(code);
    http.DownloadFile(serviceBaseUrl() + QStringLiteral("/wallpapers/") + code, local,
                      DownloadKind::Text);
    if (clearFirst)
        pending.clear();
    if (platform::fileExists(toStd(local))) {
        pending = readTextList(local);
        platform::deleteFile(toStd(local));
    }
}
