#include "textlist.h"

#include "errors.h"
#include "regularfile.h"
#include "replacingfile.h"
#include "strings.h"

#include <QFile>

QByteArrayList splitTextLines(const QByteArray& content)
{
    QByteArrayList lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < size && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(content.mid(start));
    return lines;
}

namespace {

[[noreturn]] void cannotRead(const QFile& file)
{
    throw AppError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(file.fileName(), file.errorString()));
}

QStringList decoded(const QByteArrayList& lines)
{
    QStringList list;
    list.reserve(lines.size());
    for (const QByteArray& line : lines)
        list.append(QString::fromLocal8Bit(line));
    return list;
}

} // namespace

QByteArrayList readTextLines(const QString& path)
{
    RegularFile file(path);
    if (!file.openForReading())
        cannotRead(file);
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        cannotRead(file);
    return splitTextLines(content);
}

QStringList readTextList(const QString& path) { return decoded(readTextLines(path)); }

QStringList readFirstTextLines(const QString& path, int count)
{
    RegularFile file(path);
    if (!file.openForReading())
        cannotRead(file);
    QByteArray head;
    int ends = 0;
    char previous = 0;
    while (ends < count && !file.atEnd()) {
        const QByteArray chunk = file.read(64 * 1024);
        if (file.error() != QFileDevice::NoError)
            cannotRead(file);
        qsizetype used = chunk.size();
        for (qsizetype i = 0; i < chunk.size() && ends < count; ++i) {
            const char c = chunk[i];
            // The LF of a CR LF ends no line of its own.
            if (c == '\r' || (c == '\n' && previous != '\r'))
                used = ++ends == count ? i + 1 : used;
            previous = c;
        }
        head += chunk.left(used);
    }
    return decoded(splitTextLines(head).mid(0, count));
}

void writeTextLines(const QString& path, const QByteArrayList& lines)
{
    QByteArray content;
    for (const QByteArray& line : lines)
        content += line + "\r\n";
    // The lists are the user's own (profiles, catalogs): they wait for the disk before the rename.
    ReplacingFile file(path, ReplacingFile::Durability::Flushed);
    file.write(content);
    file.commit();
}

void writeTextList(const QString& path, const QStringList& lines)
{
    QByteArrayList bytes;
    bytes.reserve(lines.size());
    for (const QString& line : lines)
        bytes.append(line.toLocal8Bit());
    writeTextLines(path, bytes);
}
