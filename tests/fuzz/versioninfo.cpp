#include "fuzzsupport.h"

#include "platform/versionblock.h"
#include "plugins/versioninfo.h"

// Version resources of PE and ELF files: the block found lies inside the file, every query on it
// stays inside the block, texts are well-formed UTF-8, and the file-level calls agree with the
// block they read.

namespace {

namespace block = platform::versionblock;
using Bytes = std::span<const std::uint8_t>;

// A shell that takes every file for a program, so that each one's resource is read.
class ProgramShell : public platform::Shell {
public:
    bool open(const std::string&) override { return false; }
    std::optional<std::string> typeName(const std::string&) override { return "Application"; }
    bool isExecutable(const std::string&) override { return true; }
    bool notify(const std::string&, const std::string&) override { return false; }
};

void queryAll(Bytes data)
{
    const std::vector<platform::Translation> translations = block::translations(data);
    std::vector<std::string> tables = {"040904E4", "040904B0"};
    for (const platform::Translation& t : translations) {
        char table[9];
        std::snprintf(table, sizeof table, "%04X%04X", t.language, t.codePage);
        tables.push_back(table);
    }
    for (const std::string& table : tables)
        for (const char* name : {"FileVersion", "CompanyName", "ProductName"}) {
            const auto text = block::text(data, "\\StringFileInfo\\" + table + "\\" + name);
            if (text)
                fuzzCheck(QString::fromUtf8(*text).toStdString() == *text,
                          "a text of the resource is well-formed UTF-8");
        }
    block::fixedFileInfo(data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Bytes image(data, size);
    queryAll(image);
    for (const auto& found : {block::fromPeImage(image), block::fromElfImage(image)}) {
        fuzzCheck(found.size() <= size, "a version block lies inside its file");
        queryAll(found);
    }

    const QString path = writeScratch(QStringLiteral("program.exe"), data, size);
    const std::vector<std::uint8_t> read = block::fromFile(path.toStdString());
    fuzzCheck(platform::fileVersionInfoSize(path.toStdString()) == read.size(),
              "the size of the version block is the size of the block read");
    if (!read.empty()) {
        std::vector<std::uint8_t> buffer(read.size());
        fuzzCheck(platform::fileVersionInfo(path.toStdString(), buffer) && buffer == read,
                  "the version block read through the system calls is the same block");
    }
    const std::optional<platform::FixedFileInfo> fixed = ReadFixedFileInfo(path);
    fuzzCheck(fixed.has_value() == block::fixedFileInfo(read).has_value(),
              "the fixed file information is that of the block");
    if (fixed)
        FileVersionNumber(*fixed);
    ProgramShell shell;
    const TFileVersionInfo info = ReadFileVersionInfo(shell, path);
    if (!fixed)
        fuzzCheck(info.FileFunction.isEmpty() && !info.Debug,
                  "a file without fixed information has no flags");
    return 0;
}
