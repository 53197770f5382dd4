#include "expandablestring.h"

#include "tempenv.h"

#include <cstdio>
#include <cstdlib>

bool writeExpandableString(const std::string& key, const std::string& name,
                           const std::string& value)
{
    const char* file = std::getenv("TAPESTRON_REGISTRY");
    if (!file)
        return false;
    std::string text = readFileBytes(file);
    const std::string header = "[HKEY_CURRENT_USER\\" + key + "]\r\n";
    const std::size_t at = text.find(header);
    if (at == std::string::npos)
        return false;
    // UTF-16LE with its terminator; the test values are ASCII.
    std::string line = "\"" + name + "\"=hex(2):";
    char byte[8];
    for (const char c : value + '\0') {
        std::snprintf(byte, sizeof byte, "%02x,00,", static_cast<unsigned char>(c));
        line += byte;
    }
    line.pop_back();
    text.insert(at + header.size(), line + "\r\n");
    writeFileBytes(file, text);
    return true;
}
