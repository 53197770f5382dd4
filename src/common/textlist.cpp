#include "textlist.h"

#include "errors.h"
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

QByteArrayList readTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return splitTextLines(content);
}

QStringList readTextList(const QString& path)
{
    QStringList list;
    for (const QByteArray& line : readTextLines(path))
        list.append(QString::fromLocal8Bit(line));
    return list;
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
