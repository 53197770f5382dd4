#include "fuzzsupport.h"

#include "automode/fetch.h"
#include "common/paths.h"
#include "online/samples.h"

// The entries of a wallpaper list ("url;caption;position") and the sample addresses of a preview
// list come from the network: no name taken from them may make a path outside its folder.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString line =
        QString::fromLocal8Bit(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString temp = userDataPath(QStringLiteral("Temp"));
    for (const bool managed : {false, true}) {
        const WallpaperEntry entry = parseWallpaperEntry(line, managed);
        if (isSafeFileName(entry.name)) {
            fuzzCheck(directlyIn(joinPath(temp, entry.name + QStringLiteral(".bmp")), temp) &&
                          directlyIn(joinPath(temp, entry.name + QStringLiteral(".jpg")), temp),
                      "a cached picture stays in its folder");
        }
        fuzzCheck(entry.caption.size() <= MaxCaptionLength, "a caption is cut to its limit");
        if (managed && line.count(u';') >= 2) {
            // A caption at its limit may have been cut: then only its start is in the line.
            const QString head = entry.url + u';' + entry.caption;
            fuzzCheck(entry.caption.size() < MaxCaptionLength - 1
                          ? head + u';' + entry.position == line
                          : line.startsWith(head) && line.endsWith(u';' + entry.position),
                      "the fields of an entry are the whole line");
        }
    }
    if (const std::optional<QString> sample = sampleFile(line))
        fuzzCheck(directlyIn(*sample, previewFolder()), "a sample stays in its folder");
    return 0;
}
