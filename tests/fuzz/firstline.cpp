#include "fuzzsupport.h"

#include "common/textlist.h"
#include "online/download.h"
#include "online/samples.h"

// The first lines the program reads from the service's answers: the version's one line and the
// preview list's first lines, each the same lines the whole list holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = writeScratch(QStringLiteral("answer"), content);
    const QByteArrayList lines = splitTextLines(content);

    const QString version = readFirstLine(path);
    const bool fits = !lines.isEmpty() && lines.first().size() <= MaxFirstLineLength;
    fuzzCheck(version == (fits ? QString::fromLocal8Bit(lines.first()) : QString()),
              "the version is the first line when it fits, else nothing");

    QStringList first;
    for (const QByteArray& line : lines.mid(0, SampleBoxCount))
        first.append(QString::fromLocal8Bit(line));
    fuzzCheck(readFirstTextLines(path, SampleBoxCount) == first,
              "the preview list's first lines are those of the whole list");
    return 0;
}
