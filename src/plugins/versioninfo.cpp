#include "versioninfo.h"

#include <cstdint>
#include <iterator>
#include <vector>

namespace {

// VS_FF_* of the fixed file information.
constexpr std::uint32_t flagDebug = 0x01;
constexpr std::uint32_t flagPreRelease = 0x02;
constexpr std::uint32_t flagPatched = 0x04;
constexpr std::uint32_t flagPrivateBuild = 0x08;
constexpr std::uint32_t flagInfoInferred = 0x10;
constexpr std::uint32_t flagSpecialBuild = 0x20;

// The version strings, under the names the program has always asked for (the lookup ignores case).
struct VersionString {
    const char* name;
    QString TFileVersionInfo::*field;
};

constexpr VersionString versionStrings[] = {
    {"CompanyName", &TFileVersionInfo::CompanyName},
    {"FileDescription", &TFileVersionInfo::FileDescription},
    {"FileVersion", &TFileVersionInfo::FileVersion},
    {"InternalName", &TFileVersionInfo::InternalName},
    {"LegalCopyRight", &TFileVersionInfo::LegalCopyright},
    {"LegalTradeMarks", &TFileVersionInfo::LegalTrademarks},
    {"OriginalFileName", &TFileVersionInfo::OriginalFilename},
    {"ProductName", &TFileVersionInfo::ProductName},
    {"ProductVersion", &TFileVersionInfo::ProductVersion},
    {"Comments", &TFileVersionInfo::Comments},
    {"SpecialBuild", &TFileVersionInfo::SpecialBuildStr},
    {"PrivateBuild", &TFileVersionInfo::PrivateBuildStr},
};

// The first translation names the string table; the lookup is repeated for every string, and a
// block without translations leaves every string empty.
std::optional<std::string> versionString(std::span<const std::uint8_t> block, const char* name)
{
    const std::vector<platform::Translation> translations = platform::queryTranslations(block);
    if (translations.empty())
        return std::nullopt;
    const QString subBlock =
        QString::asprintf("\\StringFileInfo\\%.4X%.4X\\%s", unsigned(translations.front().language),
                          unsigned(translations.front().codePage), name);
    return platform::queryText(block, subBlock.toStdString());
}

// The file's version block, empty when it has none or it can not be read.
std::vector<std::uint8_t> readVersionBlock(const std::string& file)
{
    const std::uint32_t size = platform::fileVersionInfoSize(file);
    if (size == 0)
        return {};
    std::vector<std::uint8_t> block(size);
    if (!platform::fileVersionInfo(file, block))
        block.clear(); // an unreadable resource answers no query
    return block;
}

} // namespace

QString FileFunctionText(const platform::FixedFileInfo& info)
{
    static const char* const drivers[] = {
        "Unknown Driver",    "Printer Driver", "Keyboard Driver",      "Language Driver",
        "Display Driver",    "Mouse Driver",   "Network Driver",       "System Driver",
        "InstallableDriver", "Sound Driver",   "Communications Driver"};
    static const char* const fonts[] = {"Unknown Font", "Raster Font", "Vector Font",
                                        "Truetype Font"};
    const std::uint32_t subtype = info.fileSubtype;
    switch (info.fileType) {
    case 0:
        return QStringLiteral("Unknown");
    case 1:
        return QStringLiteral("Application");
    case 2:
        return QStringLiteral("DLL");
    case 3:
        return subtype < std::size(drivers) ? QString::fromLatin1(drivers[subtype]) : QString();
    case 4:
        return subtype < std::size(fonts) ? QString::fromLatin1(fonts[subtype]) : QString();
    case 5:
        return QStringLiteral("Virtual Defice Identifier = ") +
               QString::asprintf("%.8X", unsigned(subtype));
    case 7:
        return QStringLiteral("Static-link Library");
    default:
        return QString();
    }
}

TFileVersionInfo ReadFileVersionInfo(platform::Shell& shell, const QString& path)
{
    TFileVersionInfo info;
    const std::string file = path.toStdString();
    if (const std::optional<std::string> typeName = shell.typeName(file))
        info.FileType = QString::fromStdString(*typeName);
    if (!shell.isExecutable(file))
        return info;
    const std::vector<std::uint8_t> block = readVersionBlock(file);
    if (block.empty())
        return info;
    for (const VersionString& string : versionStrings) {
        if (const std::optional<std::string> text = versionString(block, string.name))
            info.*string.field = QString::fromStdString(*text);
    }
    if (const std::optional<platform::FixedFileInfo> fixed = platform::queryFixedFileInfo(block)) {
        const std::uint32_t flags = fixed->fileFlags & fixed->fileFlagsMask;
        info.Debug = flags & flagDebug;
        info.PreRelease = flags & flagPreRelease;
        info.SpecialBuild = flags & flagSpecialBuild;
        info.PrivateBuild = flags & flagPrivateBuild;
        info.Patched = flags & flagPatched;
        info.InfoInferred = flags & flagInfoInferred;
        info.FileFunction = FileFunctionText(*fixed);
    }
    return info;
}

std::optional<platform::FixedFileInfo> ReadFixedFileInfo(const QString& path)
{
    const std::vector<std::uint8_t> block = readVersionBlock(path.toStdString());
    if (block.empty())
        return std::nullopt;
    return platform::queryFixedFileInfo(block);
}

QString FileVersionNumber(const platform::FixedFileInfo& info)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.fileVersionMS >> 16)
        .arg(info.fileVersionMS & 0xFFFF)
        .arg(info.fileVersionLS >> 16)
        .arg(info.fileVersionLS & 0xFFFF);
}
