#pragma once
// Helpers of the Windows-side end-to-end tests: starting Kestrival.exe, finding its windows,
// reading files and the screen.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/utf16_bytes.h"

namespace kestrival::e2e {

// The folder of the running test program, with a trailing backslash.
std::wstring OwnFolder();
// The documents folder as the program sees it, without a trailing backslash.
std::wstring DocumentsFolder();
std::wstring DefaultSettingsPath();

std::string ReadBytes(const std::wstring& path);  // empty when missing
bool FileExistsW(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
void DeleteTree(const std::wstring& path);
// A settings file's lines as the program reads them, each followed by "\n".
std::u16string SettingsText(const std::string& bytes);

// The gadget window of a process, or of any process when pid is 0; null when none is visible.
HWND FindGadgetWindow(DWORD pid = 0);
// A visible top-level window of a class belonging to the process, or null.
HWND FindVisibleWindow(DWORD pid, const wchar_t* className);
// A top-level dialog window (#32770) of the process, or null.
HWND FindDialogWindow(DWORD pid);
std::wstring WindowText(HWND window);
// Whether the window's own text or any descendant's holds `wanted`.
bool DialogShowsText(HWND dialog, const std::wstring& wanted);

// Polls `find` every 50 ms until it returns a window; null after the timeout.
template <typename Find>
HWND WaitFor(Find find, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND found = find()) return found;
        ::Sleep(50);
    }
    return nullptr;
}

// Texts of the window's children of one class, in Z order.
std::vector<std::wstring> ChildTexts(HWND window, const wchar_t* className);

// Kestrival.exe started with arguments; closed (and if need be killed) when destroyed.
class GadgetProcess {
public:
    explicit GadgetProcess(const std::wstring& arguments = L"", const std::wstring& exePath = L"");
    ~GadgetProcess();
    GadgetProcess(const GadgetProcess&) = delete;
    GadgetProcess& operator=(const GadgetProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }
    // Waits until the gadget window is visible; null on timeout.
    HWND WaitForGadget(DWORD timeoutMs = 15000);
    // Waits until the program has taken all its pending input and waits for more.
    void WaitIdle(DWORD timeoutMs = 5000) const;
    HWND WaitForDialog(DWORD timeoutMs = 15000);
    // Posts WM_CLOSE to the gadget and waits for the exit code; -1 on timeout.
    int CloseAndWait(DWORD timeoutMs = 15000);
    int WaitForExit(DWORD timeoutMs = 15000);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Handles this thread's messages until none has come for about 100 ms.
void PumpMessages();

// A key pressed and released through the input queue.
void SendKey(WORD key);
// Opens the settings dialog as a user does: the gadget's context menu and its &S key. The
// dialog's window, or null.
HWND OpenSettingsDialog(const GadgetProcess& gadget, HWND gadgetWindow);

// The screen's pixels in a rectangle (screen coordinates), row by row, as 0xRRGGBB.
std::vector<std::uint32_t> ScreenPixels(const RECT& area);
// FNV-1a hash of the screen's pixels in a rectangle (screen coordinates).
std::uint64_t ScreenHash(const RECT& area);
COLORREF ScreenPixel(int x, int y);

}  // namespace kestrival::e2e
