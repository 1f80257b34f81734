#include "app/win32/terminal_output.h"

#include <string>

#include "support/text.h"

namespace kestrival {
namespace {

bool IsUsable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

bool WriteConsoleText(HANDLE console, std::u16string_view text) {
    DWORD written = 0;
    return ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteFileText(HANDLE file, std::u16string_view text) {
    const std::string bytes = ToUtf8(text);
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The console of the process that started this one; attached once, for both streams.
HANDLE ParentConsole() {
    static const HANDLE console = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
        return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

}  // namespace

bool WriteToTerminal(DWORD which, std::u16string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (IsUsable(handle)) {
        return ::GetConsoleMode(handle, &mode) ? WriteConsoleText(handle, text) : WriteFileText(handle, text);
    }
    const HANDLE console = ParentConsole();
    return IsUsable(console) ? WriteConsoleText(console, text) : true;
}

}  // namespace kestrival
