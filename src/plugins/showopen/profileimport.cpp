#include "profileimport.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/replacingfile.h"
#include "common/service.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/favourites.h"
#include "online/httpclient.h"
#include "platform/files.h"
#include "plugins/importstaging.h"
#include "wallpaper/bmp.h"
#include "wallpaper/jpeg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

namespace {

// A list of MaxProfilePictures URLs needs far less; anything longer is not a list of ours.
constexpr std::int64_t MaxListBytes = std::int64_t(1) << 20;

ImportOutcome added(const QString& profile, qsizetype pictures)
{
    return {ImportStatus::Added, QStringLiteral("Profile %1 added: %2 picture%3.")
                                     .arg(profile)
                                     .arg(pictures)
                                     .arg(pictures == 1 ? "" : "s")};
}

ImportOutcome failed(ImportStatus status, const QString& name, const QString& reason)
{
    return {status, QStringLiteral("Profile %1 could not be added: %2.").arg(name, reason)};
}

// The folder, made where missing; its parent must exist.
QString folder(const QString& path)
{
    platform::createDirectory(toStd(path));
    return path;
}

// Whether name is in use in parent in any letter case, as Windows sees names; or is the
// favourites' own profile, which the program writes anew from the favourites folder.
bool nameInUse(const QString& parent, const QString& name)
{
    return name.compare(FavouritesProfile, Qt::CaseInsensitive) == 0 ||
           !platform::findFiles(toStd(parent), toStd(name)).empty();
}

// Moves staged (a file or a folder) into parent as base + extension, or as the first free
// base-2 + extension, base-3 + extension, ...; never over anything. Returns the name used.
std::optional<QString> placeUnderFreeName(const QString& staged, const QString& parent,
                                          const QString& base, const QString& extension)
{
    for (int n = 1; n < 100000; ++n) {
        const QString name = (n == 1 ? base : base + u'-' + QString::number(n)) + extension;
        const std::string target = toStd(joinPath(parent, name));
        if (nameInUse(parent, name))
            continue;
        if (platform::moveFileNoReplace(toStd(staged), target))
            return name;
        if (!platform::fileExists(target) && !platform::directoryExists(target))
            return std::nullopt; // not taken meanwhile: the move itself is impossible
    }
    return std::nullopt;
}

// Remembers how far a transfer got, so a request the client refused for its size can be told from
// one the service did not answer. The client stops a body one write short of its limit, so the
// last count it reports may lie up to one write (at most CutOffSlack bytes) below it.
class SizeWatch final : public HttpProgress {
public:
    void workBegin(std::int64_t expectedTotal) override { note(expectedTotal); }
    void work(std::int64_t bytesSoFar) override { note(bytesSoFar); }
    bool reached(std::int64_t limit) const { return largest_ > limit - CutOffSlack; }
    void reset() { largest_ = 0; }

private:
    static constexpr std::int64_t CutOffSlack = 64 * 1024;
    void note(std::int64_t bytes) { largest_ = std::max(largest_, bytes); }

    std::int64_t largest_ = 0;
};

// The limits of kind with at most maxBytes of body.
TransferLimits boundedTo(DownloadKind kind, std::int64_t maxBytes)
{
    TransferLimits limits = defaultTransferLimits(kind);
    limits.maxBytes = std::min(limits.maxBytes, maxBytes);
    return limits;
}

// Whether url may be fetched for a profile of the service at base: http or https, no user name,
// the service's own host and port.
bool isServiceUrl(const QUrl& url, const QUrl& base)
{
    const QString scheme = url.scheme().toLower();
    const auto defaultPort = [](const QString& s) { return s == u"https" ? 443 : 80; };
    return url.isValid() && (scheme == u"http" || scheme == u"https") && url.userInfo().isEmpty() &&
           url.host().compare(base.host(), Qt::CaseInsensitive) == 0 &&
           url.port(defaultPort(scheme)) == base.port(defaultPort(base.scheme().toLower()));
}

// Whether the file decodes with the program's own loaders: a bitmap by its "BM", else a JPEG.
std::optional<QString> pictureExtension(const QString& path)
{
    QFile file(path);
    const bool bitmap = file.open(QIODevice::ReadOnly) && file.read(2) == "BM";
    file.close();
    try {
        if (bitmap)
            decodeBitmap(path);
        else
            decodeJpeg(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return QString::fromLatin1(bitmap ? ".bmp" : ".jpg");
}

// The local name of the picture at url: the URL's own last segment where it is a safe file name
// with the extension of the picture's kind ("a.jpeg" for a JPEG too), not used yet; else
// "picture-<number>" with that extension. The show picks its reader by the extension.
QString localName(const QUrl& url, const QString& extension, int number, QSet<QString>& used)
{
    QString name = url.fileName(QUrl::FullyDecoded);
    const QString suffix = u'.' + QFileInfo(name).suffix().toLower();
    const bool fits = suffix == extension || (extension == u".jpg" && suffix == u".jpeg");
    if (!isSafeFileName(name) || !fits || used.contains(name.toLower()))
        name = QStringLiteral("picture-%1").arg(number) + extension;
    used.insert(name.toLower());
    return name;
}

// Moves the pictures into a folder of their own under Downloads, then the profile that lists them
// into Profiles; the folder goes again when the profile can not follow it.
ImportOutcome placeImport(const QString& name, const ImportStaging& staging,
                          const QString& pictures, const QStringList& kept)
{
    const QString downloads = folder(userDataPath(QStringLiteral("Downloads")));
    const auto folderName = placeUnderFreeName(pictures, downloads, name, QString());
    if (!folderName)
        return failed(ImportStatus::NotWritten, name,
                      QStringLiteral("its pictures can not be stored in %1").arg(downloads));
    const QString placed = joinPath(downloads, *folderName);
    QStringList lines;
    for (const QString& picture : kept)
        lines.append(joinPath(placed, picture));
    const QString staged = joinPath(staging.path(), QStringLiteral("profile.tsl"));
    QString reason = QStringLiteral("the profile folder can not be written");
    try {
        writeTextList(staged, lines);
        const QString profiles = folder(userDataPath(QStringLiteral("Profiles")));
        if (const auto profile = placeUnderFreeName(staged, profiles, name, QStringLiteral(".tsl")))
            return added(QFileInfo(*profile).completeBaseName(), kept.size());
    } catch (const AppError& error) {
        reason = error.message();
    }
    QDir(placed).removeRecursively();
    return failed(ImportStatus::NotWritten, name, reason);
}

} // namespace

ImportOutcome addLocalProfile(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.completeBaseName();
    if (info.suffix().compare(u"tsl", Qt::CaseInsensitive) != 0 || name.isEmpty())
        return failed(ImportStatus::Refused, info.fileName(), QStringLiteral("not a profile file"));
    // The program could not keep it as the current profile: a line break would split the
    // settings file.
    if (!isValidFileName(info.fileName()))
        return failed(ImportStatus::Refused, name.simplified(),
                      QStringLiteral("its name can not be the name of a profile"));
    QFile source(path);
    if (!info.isFile() || !source.open(QIODevice::ReadOnly))
        return failed(ImportStatus::Refused, name, QStringLiteral("the file can not be read"));
    const QByteArray content = source.readAll();
    try {
        const ImportStaging staging;
        const QString staged = joinPath(staging.path(), QStringLiteral("profile.tsl"));
        ReplacingFile copy(staged, ReplacingFile::Durability::Flushed);
        copy.write(content);
        copy.commit();
        const QString profiles = folder(userDataPath(QStringLiteral("Profiles")));
        const auto placed = placeUnderFreeName(staged, profiles, name, QStringLiteral(".tsl"));
        if (!placed)
            return failed(ImportStatus::NotWritten, name,
                          QStringLiteral("the profile folder can not be written"));
        return added(QFileInfo(*placed).completeBaseName(), splitTextLines(content).size());
    } catch (const AppError& error) {
        return failed(ImportStatus::NotWritten, name, error.message());
    }
}

ImportOutcome importServiceProfile(const QString& name)
{
    const QString service = serviceBaseUrl();
    const QUrl base(service);
    const ImportStaging staging;
    const QString pictures = joinPath(staging.path(), QStringLiteral("pictures"));
    if (!staging.isValid() || !platform::createDirectory(toStd(pictures)))
        return failed(ImportStatus::NotWritten, name,
                      QStringLiteral("no folder can be made in %1").arg(userDataDir()));

    HttpClient client;
    client.setConnectTimeout(std::chrono::milliseconds(1000));
    SizeWatch size;
    client.setProgress(&size);
    QStringList kept;
    try {
        const QString list = joinPath(staging.path(), QStringLiteral("list.tsl"));
        client.setLimits(DownloadKind::Text, boundedTo(DownloadKind::Text, MaxListBytes));
        if (client.get(service + "/profiles/" + name + ".tsl", list, DownloadKind::Text) !=
            HttpClient::Result::Ok)
            return size.reached(MaxListBytes)
                       ? failed(ImportStatus::Refused, name, QStringLiteral("its list is too long"))
                       : failed(ImportStatus::DownloadFailed, name,
                                QStringLiteral("the wallpaper service did not send it"));
        QList<QUrl> urls;
        for (const QString& line : readTextList(list)) {
            if (line.trimmed().isEmpty())
                continue;
            const QUrl url(line.trimmed(), QUrl::StrictMode);
            if (!isServiceUrl(url, base))
                return failed(ImportStatus::Refused, name,
                              QStringLiteral("its list names a picture outside %1").arg(service));
            urls.append(url);
        }
        if (urls.size() > MaxProfilePictures)
            return failed(
                ImportStatus::Refused, name,
                QStringLiteral("its list names more than %1 pictures").arg(MaxProfilePictures));

        // Each picture may bring what the ones before it left of the budget.
        std::int64_t left = MaxProfileBytes;
        QSet<QString> used;
        const QString incoming = joinPath(staging.path(), QStringLiteral("incoming"));
        for (int i = 0; i < urls.size(); ++i) {
            client.setLimits(DownloadKind::Picture, boundedTo(DownloadKind::Picture, left));
            size.reset();
            if (client.get(urls[i].toString(QUrl::FullyEncoded), incoming, DownloadKind::Picture) !=
                HttpClient::Result::Ok) {
                if (size.reached(client.limits(DownloadKind::Picture).maxBytes))
                    return failed(
                        ImportStatus::Refused, name,
                        left < defaultTransferLimits(DownloadKind::Picture).maxBytes
                            ? QStringLiteral("its pictures are larger than 2 GiB together")
                            : QStringLiteral("picture %1 of %2 is larger than 1 GiB")
                                  .arg(i + 1)
                                  .arg(urls.size()));
                return failed(ImportStatus::DownloadFailed, name,
                              QStringLiteral("the wallpaper service did not send picture %1 of %2")
                                  .arg(i + 1)
                                  .arg(urls.size()));
            }
            left -= QFileInfo(incoming).size();
            const auto extension = pictureExtension(incoming);
            if (!extension) // not a picture the program can show: the rest still make a profile
                continue;
            const QString local = localName(urls[i], *extension, i + 1, used);
            if (!platform::moveFileNoReplace(toStd(incoming), toStd(joinPath(pictures, local))))
                return failed(ImportStatus::NotWritten, name,
                              QStringLiteral("a picture can not be stored"));
            kept.append(local);
        }
    } catch (const AppError& error) {
        return failed(ImportStatus::NotWritten, name, error.message());
    }
    if (kept.isEmpty())
        return failed(ImportStatus::NothingUsable, name,
                      QStringLiteral("none of its pictures can be shown"));
    return placeImport(name, staging, pictures, kept);
}
