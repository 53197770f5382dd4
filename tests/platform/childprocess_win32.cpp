#include "childprocess.h"

#include "platform/system.h"

#include <windows.h>

#include <stdexcept>

namespace {

std::wstring widened(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                             wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

// One argument as the C runtime of the child splits its command line: in quotes, with each run
// of backslashes before a quote (or the closing quote) doubled and every quote escaped.
// https://learn.microsoft.com/cpp/c-language/parsing-c-command-line-arguments
std::wstring quoted(const std::wstring& argument)
{
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, L'\\');
    return result + L"\"";
}

void closeHandle(HANDLE& handle)
{
    if (handle)
        ::CloseHandle(handle);
    handle = nullptr;
}

} // namespace

struct ChildProcess::Handles {
    HANDLE process = nullptr;
    HANDLE input = nullptr;  // the child's standard input, our end
    HANDLE output = nullptr; // the child's standard output, our end
    int exitCode = -1;
};

ChildProcess::ChildProcess(const std::vector<std::string>& helperArguments,
                           const std::string& otherProgram)
    : handles_(std::make_unique<Handles>())
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (!::CreatePipe(&childInput, &handles_->input, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    if (!::CreatePipe(&handles_->output, &childOutput, &inherit, 0)) {
        closeHandle(childInput);
        closeHandle(handles_->input);
        throw std::runtime_error("CreatePipe failed");
    }
    // Only the child's ends may be inherited, or the child would hold its own pipes open.
    ::SetHandleInformation(handles_->input, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(handles_->output, HANDLE_FLAG_INHERIT, 0);

    const std::wstring program =
        widened(otherProgram.empty() ? platform::executablePath() : otherProgram);
    std::wstring commandLine = quoted(program) + L" --platform-helper";
    for (const std::string& argument : helperArguments)
        commandLine += L" " + quoted(widened(argument));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, nullptr, &startup, &process);
    closeHandle(childInput);
    closeHandle(childOutput);
    if (!started)
        throw std::runtime_error("CreateProcess failed");
    ::CloseHandle(process.hThread);
    handles_->process = process.hProcess;
}

ChildProcess::~ChildProcess()
{
    if (handles_->process)
        kill();
    closeInput();
    closeHandle(handles_->output);
}

std::string ChildProcess::readLine()
{
    std::string line;
    char c;
    DWORD got = 0;
    while (::ReadFile(handles_->output, &c, 1, &got, nullptr) && got == 1 && c != '\n')
        if (c != '\r') // the child's C runtime writes text with CR LF
            line += c;
    return line;
}

void ChildProcess::closeInput() { closeHandle(handles_->input); }

int ChildProcess::wait()
{
    if (handles_->process) {
        DWORD code = 0;
        if (::WaitForSingleObject(handles_->process, INFINITE) == WAIT_OBJECT_0 &&
            ::GetExitCodeProcess(handles_->process, &code))
            handles_->exitCode = static_cast<int>(code);
        closeHandle(handles_->process);
    }
    return handles_->exitCode;
}

void ChildProcess::kill()
{
    if (handles_->process)
        ::TerminateProcess(handles_->process, 137);
    wait();
}
