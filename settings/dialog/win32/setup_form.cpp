#include "settings/dialog/win32/setup_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "settings/dialog/count_menu.h"
#include "settings/dialog/win32/days_off_dialog.h"
#include "settings/dialog/win32/setup_form_ids.h"
#include "settings/dialog/win32/swatch_accessible.h"
#include "support/text.h"
#include "support/ui_texts.h"
#include "support/win32/dpi.h"
#include "support/win32/font_faces.h"
#include "support/win32/library.h"
#include "support/win32/named_control.h"
#include "support/win32/wide_text.h"
#include "support/win32/window_proc.h"

namespace kestrival {
namespace {

using namespace setup_ids;

constexpr WORD kSwatchReleased = 1;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// A colour swatch: a rectangle filled with its colour, outlined, that reports mouse-up to its parent.
LRESULT CALLBACK SwatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const PaintScope paint(hwnd);
            const HDC dc = paint.dc();
            RECT r{};
            ::GetClientRect(hwnd, &r);
            ::SetDCBrushColor(dc, static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)) & 0xFFFFFF);
            ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            ::SetDCBrushColor(dc, static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, 0)) & 0xFFFFFF);
            ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            return 0;
        }
        case WM_GETOBJECT:
            if (LRESULT answer = AnswerSwatchObject(hwnd, wParam, lParam)) return answer;
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_NCDESTROY:
            ForgetSwatchObject(hwnd);
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            ::SendMessageW(::GetParent(hwnd), WM_COMMAND,
                           MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(hwnd)), kSwatchReleased),
                           reinterpret_cast<LPARAM>(hwnd));
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// A class registered now, or already by an earlier dialog of this process.
bool Registered(ATOM atom) { return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

bool RegisterClasses(HINSTANCE instance, WNDPROC formProcedure) {
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = formProcedure;
    form.hInstance = instance;
    form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    form.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    form.lpszClassName = kFormClass;
    if (!Registered(::RegisterClassExW(&form))) return false;
    WNDCLASSEXW swatch{};
    swatch.cbSize = sizeof swatch;
    swatch.lpfnWndProc = SwatchProc;
    swatch.cbWndExtra = sizeof(LONG_PTR);
    swatch.hInstance = instance;
    swatch.hCursor = ::LoadCursorW(nullptr, IDC_HAND);
    swatch.lpszClassName = kSwatchClass;
    return Registered(::RegisterClassExW(&swatch));
}

Font MakeFont(const std::wstring& face, int height, bool bold) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&font));
}

}  // namespace

namespace {

bool IsSwatch(int id) {
    const ControlRow* row = SetupFormRow(id);
    return row && row->kind == ControlKind::kSwatch;
}

std::u16string ControlText(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return FromWide(text);
}

}  // namespace

SetupForm::SetupForm(const RenderStyle& style, const LocalClock& clock, std::int32_t dpi)
    : style_(style), clock_(clock), scaled_(dpi) {}

SetupForm::~SetupForm() {
    grid_.reset();
    // The window goes with `window_`; no message of its destruction reaches a half-gone form.
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

std::unique_ptr<SetupForm> SetupForm::Create(HINSTANCE instance, const RenderStyle& style, const LocalClock& clock,
                                             std::int32_t dpi) {
    CommonControls();  // track bar, up-down spinners
    if (!RegisterClasses(instance, &RoutedWindowProc<SetupForm>)) return nullptr;
    std::unique_ptr<SetupForm> form(new SetupForm(style, clock, dpi));
    const Scaler& S = form->scaled_;
    // No WS_CLIPCHILDREN: group boxes are transparent and show the form's background.
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exFrame = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds{0, 0, S(kSetupClientWidth), S(kSetupClientHeight)};
    AdjustWindowRectForDpi(bounds, frame, exFrame, dpi);
    const HWND hwnd =
        ::CreateWindowExW(exFrame, kFormClass, AsWide(texts::kSetupCaption), frame, 0, 0, bounds.right - bounds.left,
                          bounds.bottom - bounds.top, nullptr, nullptr, instance, form.get());
    if (!hwnd) return nullptr;
    form->window_ = OwnedWindow(hwnd);
    form->FormCreate();
    // A dialog without its goal grid would be half built: no dialog rather than that one.
    if (!form->grid_ || !form->grid_->hwnd()) return nullptr;
    return form;
}

LRESULT SetupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(hwnd_, TBftrr)) OnTrackBarChanged();
            return 0;
        case WM_CTLCOLORSTATIC: {
            // Labels, radio buttons and check boxes draw their text on the form's own background.
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CANCELMODE:  // sent as a modal message disables the form, before its focus is taken
            RememberFocus();
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
        case DM_GETDEFID:
            return MAKELRESULT(BTok, DC_HASDEFID);
        case WM_CLOSE:  // the close box cancels
            result_ = 2;
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void SetupForm::FormCreate() {
    // The gadget's face in regular weight; the product label keeps a font of its own.
    // The face is judged at the layout's own size; the fonts are made for the display.
    const std::wstring face = ChooseInstalledFace(style_.Font.face, ::MulDiv(style_.Font.points, kDesignDpi, 72));
    font_ = MakeFont(face, -::MulDiv(style_.Font.points, scaled_.dpi(), 72), false);
    titleFont_ = MakeFont(L"Tahoma", -scaled_(12), true);
    CreateControls();
    for (const auto& row : SetupFormRows()) {
        if (row.kind == ControlKind::kSwatch) {
            ::SetWindowLongPtrW(::GetDlgItem(hwnd_, row.id), 0, static_cast<LONG_PTR>(style_.SwatchPenColor));
        }
    }
}

HWND SetupForm::AddControl(const wchar_t* className, const wchar_t* text, int id, int x, int y, int w, int h,
                           DWORD style, DWORD exStyle) {
    HWND control =
        ::CreateWindowExW(exStyle, className, text, style, x, y, w, h, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

void SetupForm::CreateControls() {
    const Scaler& S = scaled_;
    HWND product =
        AddControl(L"STATIC", AsWide(texts::kProductCaption), LLmston, S(4), S(2), S(71), S(14), kChild | SS_NOPREFIX);
    ::SendMessageW(product, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);

    grid_ = std::make_unique<GoalGridControl>(
        hwnd_, SGdata, RECT{S(4), S(20), S(304), S(493)}, font_.get(), controls_.SGdata, [this] { return Today(); },
        S.dpi());
    ::SendMessageW(grid_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    grid_->onDaysOff = [this] {
        std::u16string typed = controls_.EDoffd;
        if (EditDaysOff(hwnd_, font_.get(), scaled_, typed)) controls_.EDoffd = DaysOffText(typed);
    };

    int label = FirstLabel;
    HWND previous = nullptr;
    for (const ControlRow& row : SetupFormRows()) {
        const int id = row.id ? row.id : label++;
        previous = AddRow(row, id, previous);
        // The system names a control after its caption or the label created just before it; a
        // control with no such label (the title's edit, a spinner, the slider) or whose label
        // another control shares is named from the table instead. A swatch answers for itself.
        const bool systemNameHolds = row.caption && ControlName(id) == TrimSpaces(row.caption);
        if (row.id != 0 && row.kind != ControlKind::kSwatch && !systemNameHolds)
            NameForReaders(previous, ControlName(id));
    }
}

int SetupForm::TextWidth(const wchar_t* caption) const {
    WindowDC dc(hwnd_);
    ScopedSelect font(dc.get(), font_.get());
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), caption, static_cast<int>(wcslen(caption)), &extent);
    return static_cast<int>(extent.cx);
}

HWND SetupForm::AddRow(const ControlRow& row, int id, HWND previous) {
    const Scaler& S = scaled_;
    const int x = S(row.group.x + row.x), y = S(row.group.y + row.y), w = S(row.w), h = S(row.h);
    const wchar_t* caption = row.caption ? AsWide(row.caption) : L"";
    switch (row.kind) {
        case ControlKind::kGroup:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | BS_GROUPBOX);
        case ControlKind::kLabel:
            return AddControl(L"STATIC", caption, id, x, y + S(2), TextWidth(caption) + S(1), S(15),
                              kChild | SS_NOPREFIX);
        case ControlKind::kLabelBefore: {
            const int width = TextWidth(caption);
            return AddControl(L"STATIC", caption, id, x - width - S(4), y + S(2), width + S(1), S(15),
                              kChild | SS_NOPREFIX);
        }
        case ControlKind::kEdit: {
            HWND edit = AddControl(L"EDIT", L"", id, x, y, w, h, kChild | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                                   WS_EX_CLIENTEDGE);
            if (row.high > 0) ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(row.high), 0);
            return edit;
        }
        case ControlKind::kSpinner: {
            // At its own place right of its edit (not aligned into it, which would narrow the edit).
            HWND spinner = AddControl(UPDOWN_CLASSW, L"", id, x, y, w, h,
                                      kChild | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS);
            ::SendMessageW(spinner, UDM_SETBUDDY, reinterpret_cast<WPARAM>(previous), 0);
            ::SendMessageW(spinner, UDM_SETRANGE32, static_cast<WPARAM>(row.low), row.high);
            return spinner;
        }
        case ControlKind::kFirstRadio:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
        case ControlKind::kRadio:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | BS_AUTORADIOBUTTON);
        case ControlKind::kCheck:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP);
        case ControlKind::kSwatch:
            return AddControl(kSwatchClass, L"", id, x, y, w, h, kChild);
        case ControlKind::kTrackBar: {
            HWND track =
                AddControl(TRACKBAR_CLASSW, L"", id, x, y, w, h,
                           kChild | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_TOP | TBS_AUTOTICKS | TBS_ENABLESELRANGE);
            ::SendMessageW(track, TBM_SETRANGE, FALSE, MAKELPARAM(row.low, row.high));
            return track;
        }
        case ControlKind::kDefaultButton:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON);
        case ControlKind::kButton:
            return AddControl(L"BUTTON", caption, id, x, y, w, h, kChild | WS_TABSTOP | WS_GROUP);
    }
    return nullptr;
}

std::int32_t SetupForm::ShowModal(HWND owner, std::int32_t tag, const WindowGeometry& geometry, ExecuteSetting& setting,
                                  GoalList& goals) {
    setting_ = &setting;
    goals_ = &goals;
    geometry_ = geometry;
    FormShow(controls_, setting, goals, geometry, tag);
    PushControls();

    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    // Centred on the monitor the gadget is on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    ::SetWindowPos(hwnd_, HWND_TOP, screen.left + (screen.right - screen.left - width) / 2,
                   screen.top + (screen.bottom - screen.top - height) / 2, 0, 0, SWP_NOSIZE);
    // Owned by the gadget, the dialog stays above it, also when the gadget is kept on top.
    if (owner) ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(grid_->hwnd());

    result_ = 0;
    MSG message{};
    while (result_ == 0) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
            result_ = 2;
            break;
        }
        RememberFocus();
        if (!::IsDialogMessageW(hwnd_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (owner) ::EnableWindow(owner, TRUE);
    ::ShowWindow(hwnd_, SW_HIDE);
    setting_ = nullptr;
    goals_ = nullptr;
    return result_;
}

void SetupForm::OnCommand(int id, int code) {
    switch (id) {
        case BTok:
            OnOk();
            return;
        case BTcancel:
            result_ = 2;
            return;
        case BTdel:
            grid_->TakeEditorText();
            BTdelClick(controls_);
            grid_->Refresh();
            return;
        case SGdata:
            if (code == kGridClicked) {
                SGdataClick(controls_);
                ::EnableWindow(::GetDlgItem(hwnd_, BTdel), controls_.BTdelEnabled);
            }
            return;
        case RBhlft:
        case RBhrit:
        case RBvtop:
        case RBvbtm:
            if (code == BN_CLICKED) OnAnchorClicked(id);
            return;
        case EDtbdy:
            if (code == EN_KILLFOCUS) {
                controls_.EDtbdy = ControlText(::GetDlgItem(hwnd_, EDtbdy));
                EDtbdyExit(controls_, Today());
                ::SetDlgItemTextW(hwnd_, EDtbdy, Wide(controls_.EDtbdy).c_str());
            }
            return;
        default:
            if (code == kSwatchReleased && IsSwatch(id)) OnSwatchReleased(id);
            return;
    }
}

void SetupForm::OnOk() {
    if (!setting_ || !goals_) return;
    PullControls();
    if (BTokClick(controls_, *setting_, *goals_, Today())) {
        result_ = 1;
        return;
    }
    // The checks failed: show the normalised birth date and the offending row.
    ::SetDlgItemTextW(hwnd_, EDtbdy, Wide(controls_.EDtbdy).c_str());
    ::EnableWindow(::GetDlgItem(hwnd_, BTdel), controls_.BTdelEnabled);
    grid_->Refresh();
}

// As a dialog does: the control that had the keyboard gets it back when the form is active again
// (after a notice, a question or the colour picker), instead of the form itself.
void SetupForm::OnActivate(bool active) {
    if (!active) {
        RememberFocus();
        return;
    }
    HWND focus = focusBeforeDeactivation_;
    // The grid's editor closes when the grid loses the keyboard; the grid itself takes it back.
    if (!focus || !::IsWindow(focus) || !::IsWindowVisible(focus)) focus = grid_ ? grid_->hwnd() : nullptr;
    if (focus) ::SetFocus(focus);
}

void SetupForm::RememberFocus() {
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) focusBeforeDeactivation_ = focus;
}

void SetupForm::OnAnchorClicked(int id) {
    PullControls();
    switch (id) {
        case RBhlft:
            RBhlftClick(controls_, geometry_);
            break;
        case RBhrit:
            RBhritClick(controls_, geometry_);
            break;
        case RBvtop:
            RBvtopClick(controls_, geometry_);
            break;
        default:
            RBvbtmClick(controls_, geometry_);
            break;
    }
    ::SetDlgItemTextW(hwnd_, EDhofs, Wide(controls_.EDhofs).c_str());
    ::SetDlgItemTextW(hwnd_, EDvofs, Wide(controls_.EDvofs).c_str());
}

void SetupForm::OnSwatchReleased(int id) {
    HWND swatch = ::GetDlgItem(hwnd_, id);
    static COLORREF customColours[16] = {};
    const LoadedLibrary dialogs(L"comdlg32.dll");
    using ChooseFunction = BOOL(WINAPI*)(CHOOSECOLORW*);
    auto chooseColour = dialogs.Function<ChooseFunction>("ChooseColorW");
    if (!chooseColour) return;
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = hwnd_;
    choose.rgbResult = static_cast<COLORREF>(::GetWindowLongPtrW(swatch, GWLP_USERDATA)) & 0xFFFFFF;
    choose.lpCustColors = customColours;
    choose.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!chooseColour(&choose)) return;
    ::SetWindowLongPtrW(swatch, GWLP_USERDATA, static_cast<LONG_PTR>(choose.rgbResult));
    AnnounceSwatchValue(swatch);
    ::InvalidateRect(swatch, nullptr, TRUE);
}

void SetupForm::OnTrackBarChanged() {
    HWND track = ::GetDlgItem(hwnd_, TBftrr);
    const LRESULT position = ::SendMessageW(track, TBM_GETPOS, 0, 0);
    ::SendMessageW(track, TBM_SETSELEND, TRUE, position);
}

void SetupForm::PushControls() {
    for (const auto& row : SetupFormRows()) {
        const ControlBinding& bound = row.binding;
        HWND control = ::GetDlgItem(hwnd_, row.id);
        if (bound.text) ::SetWindowTextW(control, Wide(controls_.*bound.text).c_str());
        if (bound.checked)
            ::SendMessageW(control, BM_SETCHECK, controls_.*bound.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        if (bound.colour) {
            ::SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(controls_.*bound.colour));
            ::InvalidateRect(control, nullptr, TRUE);
        }
        if (bound.position) {
            ::SendMessageW(control, TBM_SETPOS, TRUE, controls_.*bound.position);
            ::SendMessageW(control, TBM_SETSEL, TRUE, MAKELPARAM(0, controls_.*bound.position));
        }
    }
    ::EnableWindow(::GetDlgItem(hwnd_, BTdel), controls_.BTdelEnabled);
    grid_->Refresh();
}

void SetupForm::PullControls() {
    for (const auto& row : SetupFormRows()) {
        const ControlBinding& bound = row.binding;
        HWND control = ::GetDlgItem(hwnd_, row.id);
        if (bound.text) controls_.*bound.text = ControlText(control);
        if (bound.checked) controls_.*bound.checked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (bound.colour) {
            controls_.*bound.colour = static_cast<std::int32_t>(::GetWindowLongPtrW(control, GWLP_USERDATA));
        }
        if (bound.position)
            controls_.*bound.position = static_cast<std::int32_t>(::SendMessageW(control, TBM_GETPOS, 0, 0));
    }
    grid_->TakeEditorText();
}

}  // namespace kestrival
