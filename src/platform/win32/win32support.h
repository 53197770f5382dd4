#pragma once

// Small Win32 helpers shared by the files of this backend. Text crosses the interface as UTF-8
// and the system as UTF-16.
//
// Include this after the platform headers: they define constants under the names that
// <windows.h> takes for macros (FILE_ATTRIBUTE_HIDDEN, MOD_ALT, SPI_SETDESKWALLPAPER).

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace platform::win32 {

// Text in codePage (UTF-8 unless told) to UTF-16 and back.
std::wstring toWide(std::string_view text, UINT codePage = CP_UTF8);
std::string toCodePage(std::wstring_view wide, UINT codePage);
inline std::string toUtf8(std::wstring_view wide) { return toCodePage(wide, CP_UTF8); }

// The system's message for an error code, without its line end.
std::string errorText(DWORD code);

// Owns a kernel handle (CloseHandle); an invalid one is stored as null.
struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Takes a handle from a call that reports failure by null or by INVALID_HANDLE_VALUE.
inline UniqueHandle adoptHandle(HANDLE handle)
{
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Owns an open registry key.
struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// Owns a search handle of FindFirstFileW.
struct FindCloser {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};
using UniqueFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

} // namespace platform::win32
