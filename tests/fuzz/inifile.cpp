#include "fuzzsupport.h"

#include "common/errors.h"
#include "platform/profile.h"

#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>
#include <utility>

// The settings files: after any file is read, one value written into it reads back as written,
// every other value reads as before, and every other line of the file is still there.

namespace {

// A name or value the program itself could write: letters, digits and a few marks, trimmed.
std::string plainText(FuzzedDataProvider& input, const std::string& alphabet)
{
    std::string text;
    for (const char c : input.ConsumeRandomLengthString(12))
        text += alphabet[std::uint8_t(c) % alphabet.size()];
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "Name";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The lines as the file stores them, without a byte-order mark or line ends: a line ends at CR LF,
// LF or a CR alone.
std::vector<std::string> linesOf(const QByteArray& bytes)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    std::vector<std::string> lines;
    std::string line;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        lines.push_back(std::exchange(line, std::string()));
        if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

// Every value the file holds, as read through the profile functions; the first of equal names.
Values valuesOf(const std::string& file)
{
    Values values;
    for (const std::string& section : platform::getProfileSectionNames(file))
        for (const std::string& key : platform::getProfileSectionKeys(file, section)) {
            const std::string value = platform::getProfileString(file, section, key, "\x01");
            values.try_emplace({QString::fromStdString(section).toLower().toStdString(),
                                QString::fromStdString(key).toLower().toStdString()},
                               value);
            // Settings are read as integers too; any text must parse without overflow.
            parseInteger(QString::fromStdString(value));
        }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string names = "abcXYZ019_.- ";
    const std::string section = plainText(input, names);
    const std::string key = plainText(input, names);
    const std::string value = plainText(input, names + "=;[]$#/\\");
    const QByteArray content = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    const std::string file = writeScratch(QStringLiteral("in.ini"), content).toStdString();
    // Without sections and keys the file is only its lines; larger ones are read key by key.
    if (content.count('\n') + content.count('\r') > 64)
        return 0;

    Values before = valuesOf(file);
    platform::writeProfileString(file, section, key, value);
    fuzzCheck(platform::getProfileString(file, section, key, "\x01") == value,
              "a value written reads back as written");

    Values after = valuesOf(file);
    const std::pair written{QString::fromStdString(section).toLower().toStdString(),
                            QString::fromStdString(key).toLower().toStdString()};
    before.erase(written);
    after.erase(written);
    fuzzCheck(before == after, "every other value reads as before");

    // At most the written key's own line is changed; the rest are all still there.
    const std::vector<std::string> old = linesOf(content);
    std::vector<std::string> now = linesOf(readScratch(QString::fromStdString(file)));
    std::size_t lost = 0;
    for (const std::string& line : old) {
        const auto kept = std::find(now.begin(), now.end(), line);
        if (kept == now.end())
            ++lost;
        else
            now.erase(kept);
    }
    fuzzCheck(lost <= 1, "a write keeps every other line of the file");
    return 0;
}
