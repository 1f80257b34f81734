#include "support/win32/message_dialogs.h"

// The task dialog's types are declared only for Vista and later; the function itself is loaded at
// run time (with message boxes where it is missing), so the XP build may see its declarations.
#if defined(_WIN32_WINNT) && _WIN32_WINNT < 0x0600
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "support/win32/library.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

std::int32_t ShowTaskDialog(const DialogRequest& request) {
    const std::wstring caption = Wide(request.caption);
    const std::wstring text = Wide(request.text);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = ::GetActiveWindow();
    // Esc and the close box dismiss it; for a question that counts as No.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = caption.c_str();
    config.pszContent = text.c_str();
    config.pszMainIcon = request.informationIcon ? TD_INFORMATION_ICON : nullptr;
    if (request.buttons == DialogButtons::kYesNo) {
        config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
        config.nDefaultButton = request.defaultAnswer == Answer::kNo ? IDNO : IDYES;
    } else {
        config.dwCommonButtons = TDCBF_OK_BUTTON;
        config.nDefaultButton = IDOK;
    }
    using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    HMODULE controls = CommonControls();
    auto taskDialog = controls ? reinterpret_cast<TaskDialogFunction>(
                                     reinterpret_cast<void*>(::GetProcAddress(controls, "TaskDialogIndirect")))
                               : nullptr;
    if (!taskDialog) {  // no version 6 controls: a message box says the same
        return ::MessageBoxW(config.hwndParent, text.c_str(), caption.c_str(), FallbackBoxFlags(request));
    }
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return 0;
    return pressed;
}

}  // namespace

std::int32_t Win32DialogBackend::Show(const DialogRequest& request) {
    if (request.kind == DialogKind::kTaskDialog) return ShowTaskDialog(request);
    return ::MessageBoxW(::GetActiveWindow(), Wide(request.text).c_str(), Wide(request.caption).c_str(),
                         request.boxFlags);
}

}  // namespace kestrival
