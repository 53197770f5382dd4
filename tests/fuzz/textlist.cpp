#include "fuzzsupport.h"

#include "common/textlist.h"

// Text list files (profiles, catalogs, wallpaper lists): the lines read from a file are the ones
// its line ends separate, the first lines alone read the same, and a list written and read again
// is the same list.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = writeScratch(QStringLiteral("in.lst"), content);
    const QByteArrayList lines = readTextLines(path);
    fuzzCheck(lines == splitTextLines(content), "a file reads as its split content");
    qsizetype bytes = 0;
    for (const QByteArray& line : lines) {
        fuzzCheck(!line.contains('\r') && !line.contains('\n'), "no line holds a line end");
        bytes += line.size();
    }
    fuzzCheck(bytes == content.size() - content.count('\r') - content.count('\n'),
              "every byte but the line ends is in some line");

    const QStringList list = readTextList(path);
    for (const int count : {1, 4, 16})
        fuzzCheck(readFirstTextLines(path, count) == list.mid(0, count),
                  "the first lines read alone are the list's first lines");

    const QString copy = scratchPath(QStringLiteral("copy.lst"));
    writeTextLines(copy, lines);
    fuzzCheck(readTextLines(copy) == lines, "a list written and read again is the same list");
    return 0;
}
