#include "tests/common/win32/wine_helpers.h"

#include "settings/dialog/win32/setup_form_ids.h"
#include "support/extend_string_list.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrival::e2e {

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring DocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, folder);
    return folder;
}

std::wstring DefaultSettingsPath() { return DocumentsFolder() + L"\\ZKFILES\\Kestrival\\ZKQV_set.txt"; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExistsW(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

void DeleteTree(const std::wstring& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (search->pid != 0 && pid != search->pid) return TRUE;
    if (!::IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD pid, const wchar_t* className) {
    WindowSearch search{pid, className, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindVisibleWindow(DWORD pid, const wchar_t* className) { return FindTopLevel(pid, className); }

HWND FindGadgetWindow(DWORD pid) { return FindTopLevel(pid, L"KestrivalGadget"); }
HWND FindDialogWindow(DWORD pid) { return FindTopLevel(pid, L"#32770"); }

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::u16string SettingsText(const std::string& bytes) {
    ExtendStringList lines;
    lines.LoadFromBytes(bytes);
    std::u16string text;
    for (const auto& line : lines.ToVector()) text += line + u"\n";
    return text;
}

void SendKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    ::Sleep(120);
}

HWND OpenSettingsDialog(const GadgetProcess& gadget, HWND gadgetWindow) {
    // Whatever the gadget has still to handle goes first: after a dialog is hidden, Wine hands the
    // foreground to the desktop once it reads the display's focus change, and read during the
    // menu, that would send the menu's key to the desktop.
    gadget.WaitIdle();
    RECT r{};
    ::GetWindowRect(gadgetWindow, &r);
    ::PostMessageW(gadgetWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(gadgetWindow),
                   MAKELPARAM(r.left + 20, r.top + 40));
    if (!WaitFor([] { return ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); })) return nullptr;
    ::Sleep(300);
    SendKey('S');
    const DWORD pid = gadget.pid();
    HWND dialog = WaitFor([pid] { return FindVisibleWindow(pid, setup_ids::kFormClass); });
    ::Sleep(400);
    return dialog;
}

namespace {

struct TextSearch {
    std::wstring wanted;
    bool found;
};

// A window procedure's calling convention (stdcall on 32-bit Windows), which a lambda lacks.
BOOL CALLBACK MatchChildText(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<TextSearch*>(parameter);
    if (WindowText(child).find(search->wanted) != std::wstring::npos) search->found = true;
    return TRUE;
}

}  // namespace

bool DialogShowsText(HWND dialog, const std::wstring& wanted) {
    TextSearch search{wanted, false};
    ::EnumChildWindows(dialog, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found || WindowText(dialog).find(wanted) != std::wstring::npos;
}

std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* className) {
    std::vector<std::wstring> texts;
    for (HWND child = ::FindWindowExW(window, nullptr, className, nullptr); child;
         child = ::FindWindowExW(window, child, className, nullptr)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

GadgetProcess::GadgetProcess(const std::wstring& arguments, const std::wstring& exePath) {
    const std::wstring exe = exePath.empty() ? OwnFolder() + L"Kestrival.exe" : exePath;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
}

GadgetProcess::~GadgetProcess() {
    if (!process_) return;
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        if (HWND gadget = FindGadgetWindow(pid_)) ::PostMessageW(gadget, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process_, 5000) == WAIT_TIMEOUT) ::TerminateProcess(process_, 1);
    }
    ::CloseHandle(process_);
}

HWND GadgetProcess::WaitForGadget(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND gadget = FindGadgetWindow(pid_)) return gadget;
        if (::WaitForSingleObject(process_, 50) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
}

void GadgetProcess::WaitIdle(DWORD timeoutMs) const { ::WaitForInputIdle(process_, timeoutMs); }

HWND GadgetProcess::WaitForDialog(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND dialog = FindDialogWindow(pid_)) return dialog;
        if (::WaitForSingleObject(process_, 50) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
}

int GadgetProcess::WaitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

int GadgetProcess::CloseAndWait(DWORD timeoutMs) {
    if (HWND gadget = FindGadgetWindow(pid_)) ::PostMessageW(gadget, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first,
                                      first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

std::uint64_t ScreenHash(const RECT& area) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const std::uint32_t pixel : ScreenPixels(area)) {
        for (int shift = 0; shift < 32; shift += 8) hash = (hash ^ ((pixel >> shift) & 0xFF)) * 1099511628211ull;
    }
    return hash;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

void PumpMessages() {
    MSG message{};
    for (int idle = 0; idle < 5; ++idle) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            idle = 0;
        }
        ::Sleep(20);
    }
}

}  // namespace kestrival::e2e
