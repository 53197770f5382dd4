#include "textlist.h"

#include "errors.h"
#include "regularfile.h"
#include "replacingfile.h"
#include "strings.h"

#include <QFile>

#include <utility>

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

// Reads the file in chunks and hands each line to take (which returns whether to go on) as soon
// as its end is seen: the file is never held whole beside the lines made of it, so a long list
// costs little more than the lines themselves.
template <class Take> void readLines(const QString& path, Take take)
{
    RegularFile file(path);
    if (!file.openForReading())
        cannotRead(file);
    QByteArray partial; // the start of a line whose end is in a later chunk
    bool afterCr = false;
    for (;;) {
        const QByteArray chunk = file.read(64 * 1024);
        if (file.error() != QFileDevice::NoError)
            cannotRead(file);
        if (chunk.isEmpty())
            break;
        qsizetype start = 0;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const char c = chunk[i];
            // The LF of a CR LF ends no line of its own.
            const bool crLf = c == '\n' && afterCr;
            afterCr = c == '\r';
            if (crLf)
                start = i + 1;
            if (crLf || (c != '\r' && c != '\n'))
                continue;
            partial.append(chunk.constData() + start, i - start);
            if (!take(std::exchange(partial, QByteArray())))
                return;
            start = i + 1;
        }
        partial.append(chunk.constData() + start, chunk.size() - start);
    }
    if (!partial.isEmpty())
        take(std::move(partial));
}

} // namespace

QByteArrayList readTextLines(const QString& path)
{
    QByteArrayList lines;
    readLines(path, [&](QByteArray&& line) {
        lines.append(std::move(line));
        return true;
    });
    return lines;
}

QStringList readTextList(const QString& path)
{
    QStringList lines;
    readLines(path, [&](QByteArray&& line) {
        lines.append(QString::fromLocal8Bit(line));
        return true;
    });
    return lines;
}

QStringList readFirstTextLines(const QString& path, int count)
{
    QStringList lines;
    if (count <= 0)
        return lines;
    readLines(path, [&](QByteArray&& line) {
        lines.append(QString::fromLocal8Bit(line));
        return lines.size() != count;
    });
    return lines;
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
