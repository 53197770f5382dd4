#include "platform/shell.h"

#include "win32support.h"

#include <shellapi.h>

namespace platform {

namespace {

class Win32Shell final : public Shell {
public:
    // ShellExecute reports success by a value above 32:
    // https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecutew
    bool open(const std::string& target) override
    {
        const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", win32::toWide(target).c_str(),
                                                 nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

    std::optional<std::string> typeName(const std::string& path) override
    {
        SHFILEINFOW info{};
        const std::wstring file = win32::toWide(path);
        if (::SHGetFileInfoW(file.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME) == 0)
            return std::nullopt;
        return win32::toUtf8(info.szTypeName);
    }

    // With SHGFI_EXETYPE the result is the program's kind (PE, NE, MZ), 0 for anything else.
    bool isExecutable(const std::string& path) override
    {
        return ::SHGetFileInfoW(win32::toWide(path).c_str(), 0, nullptr, 0, SHGFI_EXETYPE) != 0;
    }

    // A program without a window of its own says it in a message box, brought to the front
    // since the user started it from elsewhere (a web page, the Explorer).
    bool notify(const std::string& title, const std::string& text) override
    {
        return ::MessageBoxW(nullptr, win32::toWide(text).c_str(), win32::toWide(title).c_str(),
                             MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND) != 0;
    }
};

} // namespace

std::unique_ptr<Shell> createShell() { return std::make_unique<Win32Shell>(); }

} // namespace platform
