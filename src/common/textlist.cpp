#include "textlist.h"

#include "errors.h"
#include "platform/files.h"
#include "strings.h"

#include <QFile>
#include <QSaveFile>

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
    // QSaveFile writes beside the target and renames over it only when everything was written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw AppError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

void writeTextList(const QString& path, const QStringList& lines)
{
    QByteArrayList bytes;
    bytes.reserve(lines.size());
    for (const QString& line : lines)
        bytes.append(line.toLocal8Bit());
    writeTextLines(path, bytes);
}
