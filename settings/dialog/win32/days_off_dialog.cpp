#include "settings/dialog/win32/days_off_dialog.h"

#include <vector>

#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

constexpr int kHelpId = 101;
constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;

struct DialogState {
    HFONT font;
    const Scaler& scaled;
    std::u16string& text;
};

// A dialog template in memory: the dialog and its items with empty places; the dialog procedure
// lays them out in pixels of the display.
class TemplateWriter {
public:
    void Dialog(DWORD style, WORD items) {
        Align();
        Put(LOWORD(style));
        Put(HIWORD(style));
        Put(0);
        Put(0);  // no extended style
        Put(items);
        for (int i = 0; i < 4; ++i) Put(0);  // x, y, cx, cy
        Put(0);                              // no menu
        Put(0);                              // the default class
        Put(0);                              // the caption is set when the dialog starts
    }
    void Item(DWORD style, int id, WORD classAtom) {
        Align();
        Put(LOWORD(style));
        Put(HIWORD(style));
        Put(0);
        Put(0);
        for (int i = 0; i < 4; ++i) Put(0);
        Put(static_cast<WORD>(id));
        Put(0xFFFF);
        Put(classAtom);
        Put(0);  // no text
        Put(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Put(WORD word) { words_.push_back(word); }
    void Align() {
        if (words_.size() % 2) words_.push_back(0);
    }
    std::vector<WORD> words_;
};

void Place(HWND dialog, int id, const Scaler& S, int x, int y, int w, int h, HFONT font, const wchar_t* text) {
    const HWND item = ::GetDlgItem(dialog, id);
    ::SetWindowPos(item, nullptr, S(x), S(y), S(w), S(h), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (text) ::SetWindowTextW(item, text);
}

void OnInit(HWND dialog, const DialogState& state) {
    const Scaler& S = state.scaled;
    ::SetWindowTextW(dialog, AsWide(texts::kDaysOffCaption));
    Place(dialog, kHelpId, S, 10, 10, 420, 32, state.font, AsWide(texts::kDaysOffHelp));
    Place(dialog, kDaysOffEditId, S, 10, 48, 420, 21, state.font, Wide(state.text).c_str());
    Place(dialog, IDOK, S, 278, 80, 75, 25, state.font, AsWide(texts::kOk));
    Place(dialog, IDCANCEL, S, 355, 80, 75, 25, state.font, AsWide(texts::kCancel));
    RECT frame{0, 0, S(440), S(115)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    RECT owner{};
    ::GetWindowRect(::GetParent(dialog) ? ::GetParent(dialog) : ::GetDesktopWindow(), &owner);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(dialog, nullptr, (owner.left + owner.right - width) / 2, (owner.top + owner.bottom - height) / 2,
                   width, height, SWP_NOZORDER);
    const HWND edit = ::GetDlgItem(dialog, kDaysOffEditId);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

std::u16string EditText(HWND dialog) {
    const HWND edit = ::GetDlgItem(dialog, kDaysOffEditId);
    const int length = ::GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return FromWide(text);
}

INT_PTR CALLBACK DaysOffProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            OnInit(dialog, *reinterpret_cast<DialogState*>(lParam));
            return FALSE;  // the edit has the focus already
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && state) {
                state->text = EditText(dialog);
                ::EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool EditDaysOff(HWND owner, HFONT font, const Scaler& scaled, std::u16string& text) {
    TemplateWriter writer;
    writer.Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 4);
    writer.Item(WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kHelpId, kStaticAtom);
    writer.Item(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kDaysOffEditId, kEditAtom);
    writer.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, kButtonAtom);
    writer.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, kButtonAtom);
    DialogState state{font, scaled, text};
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), writer.Get(), owner, &DaysOffProc,
                                     reinterpret_cast<LPARAM>(&state)) == IDOK;
}

}  // namespace kestrival
