#include "fuzzsupport.h"

#include "platform/posix/regfile.h"

// The registry file: whatever is read is written back in a form that reads as the same document,
// and a value added to a key is found there after the round trip.

namespace {

using platform::posix::formatRegFile;
using platform::posix::parseRegFile;
using platform::posix::RegDocument;
using platform::posix::RegValueEntry;

std::size_t valueCount(const RegDocument& document)
{
    std::size_t count = 0;
    for (const auto& section : document.sections)
        count += section.values.size();
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RegDocument document =
        parseRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = formatRegFile(document);
    const RegDocument again = parseRegFile(text);
    fuzzCheck(formatRegFile(again) == text, "a written registry file reads as the same document");
    fuzzCheck(again.sections.size() == document.sections.size() &&
                  valueCount(again) == valueCount(document),
              "a written registry file keeps every key and value");

    for (auto& section : document.sections) {
        if (section.path.empty())
            continue;
        RegValueEntry added;
        added.name = "Added \"value\"\\";
        added.text = "C:\\Pictures\\a \"b\".bmp";
        section.values.push_back(added);
        const RegDocument read = parseRegFile(formatRegFile(document));
        bool found = false;
        for (const auto& other : read.sections)
            if (other.path == section.path)
                for (const auto& value : other.values)
                    found = found || (value.name == added.name && value.text == added.text &&
                                      value.kind == RegValueEntry::Kind::String);
        fuzzCheck(found, "a value added to a key is read back from the file");
        break;
    }
    return 0;
}
