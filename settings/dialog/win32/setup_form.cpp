#include "settings/dialog/win32/setup_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "settings/dialog/win32/setup_form_ids.h"
#include "support/win32/font_faces.h"
#include "support/win32/library.h"
#include "support/win32/screen.h"
#include "support/win32/window_proc.h"

namespace kestrival {
namespace {

using namespace setup_ids;

constexpr const wchar_t* kCaption = L" Kestrival 1.10 設定";
constexpr int kClientWidth = 596;
constexpr int kClientHeight = 528;
constexpr WORD kSwatchReleased = 1;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Narrow(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Group boxes and the origin of the controls inside them.
struct Group {
    int x, y;
};
constexpr Group kTitle{310, 4}, kHorizontal{310, 103}, kVertical{310, 179}, kLook{310, 255}, kPanels{310, 355};

// A colour swatch: a rectangle filled with its colour, outlined, that reports mouse-up to its parent.
LRESULT CALLBACK SwatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = ::BeginPaint(hwnd, &paint);
            RECT r{};
            ::GetClientRect(hwnd, &r);
            ::SetDCBrushColor(dc, static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)) & 0xFFFFFF);
            ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            ::SetDCBrushColor(dc, static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, 0)) & 0xFFFFFF);
            ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            ::EndPaint(hwnd, &paint);
            return 0;
        }
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

void RegisterClasses(HINSTANCE instance, WNDPROC formProcedure) {
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = formProcedure;
    form.hInstance = instance;
    form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    form.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    form.lpszClassName = kFormClass;
    ::RegisterClassExW(&form);
    WNDCLASSEXW swatch{};
    swatch.cbSize = sizeof swatch;
    swatch.lpfnWndProc = SwatchProc;
    swatch.cbWndExtra = sizeof(LONG_PTR);
    swatch.hInstance = instance;
    swatch.hCursor = ::LoadCursorW(nullptr, IDC_HAND);
    swatch.lpszClassName = kSwatchClass;
    ::RegisterClassExW(&swatch);
}

Font MakeFont(const std::wstring& face, int height, bool bold) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&font));
}

// Swatch control ids and the colours they stand for, in the controls' state.
struct SwatchBinding {
    int id;
    std::int32_t SetupControls::*colour;
};
constexpr SwatchBinding kSwatches[] = {
    {SPtstr, &SetupControls::SPtstr}, {SPtbck, &SetupControls::SPtbck}, {SPffrm, &SetupControls::SPffrm},
    {SPfbck, &SetupControls::SPfbck}, {SPpfrm, &SetupControls::SPpfrm}, {SPpcst, &SetupControls::SPpcst},
    {SPpcbk, &SetupControls::SPpcbk}, {SPpsta, &SetupControls::SPpsta}, {SPpfin, &SetupControls::SPpfin},
    {SPpgfr, &SetupControls::SPpgfr}, {SPpgrh, &SetupControls::SPpgrh}, {SPppdy, &SetupControls::SPppdy},
    {SPprdy, &SetupControls::SPprdy},
};

struct CheckBinding {
    int id;
    bool SetupControls::*checked;
};
constexpr CheckBinding kChecks[] = {
    {RBtnon, &SetupControls::RBtnon}, {RBtday, &SetupControls::RBtday}, {RBtbdy, &SetupControls::RBtbdy},
    {RBhlft, &SetupControls::RBhlft}, {RBhrit, &SetupControls::RBhrit}, {RBhcnt, &SetupControls::RBhcnt},
    {RBvtop, &SetupControls::RBvtop}, {RBvbtm, &SetupControls::RBvbtm}, {RBvcnt, &SetupControls::RBvcnt},
    {CHftop, &SetupControls::CHftop}, {CHfbtm, &SetupControls::CHfbtm}, {CHflft, &SetupControls::CHflft},
    {CHfrit, &SetupControls::CHfrit}, {CHftrs, &SetupControls::CHftrs}, {RBphor, &SetupControls::RBphor},
    {RBpver, &SetupControls::RBpver},
};

struct TextBinding {
    int id;
    std::u16string SetupControls::*text;
};
constexpr TextBinding kTexts[] = {
    {EDtitl, &SetupControls::EDtitl}, {EDtbdy, &SetupControls::EDtbdy}, {EDhofs, &SetupControls::EDhofs},
    {EDhnum, &SetupControls::EDhnum}, {EDvofs, &SetupControls::EDvofs}, {EDvnum, &SetupControls::EDvnum},
};

std::u16string ControlText(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Narrow(text);
}

}  // namespace

SetupForm::SetupForm(const RenderStyle& style, const LocalClock& clock) : style_(style), clock_(clock) {}

SetupForm::~SetupForm() {
    grid_.reset();
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

std::unique_ptr<SetupForm> SetupForm::Create(HINSTANCE instance, const RenderStyle& style, const LocalClock& clock) {
    CommonControls();  // track bar, up-down spinners
    RegisterClasses(instance, &RoutedWindowProc<SetupForm>);
    std::unique_ptr<SetupForm> form(new SetupForm(style, clock));
    // No WS_CLIPCHILDREN: group boxes are transparent and show the form's background.
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exFrame = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&bounds, frame, FALSE, exFrame);
    const HWND hwnd = ::CreateWindowExW(exFrame, kFormClass, kCaption, frame, 0, 0, bounds.right - bounds.left,
                                        bounds.bottom - bounds.top, nullptr, nullptr, instance, form.get());
    if (!hwnd) return nullptr;
    form->FormCreate();
    // A dialog without its goal grid would be half built: no dialog rather than that one.
    if (!form->grid_ || !form->grid_->hwnd()) {
        ::DestroyWindow(hwnd);
        return nullptr;
    }
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
    font_ = MakeFont(ChooseInstalledFace(style_.Font.face), -::MulDiv(style_.Font.points, 96, 72), false);
    titleFont_ = MakeFont(L"Tahoma", -12, true);
    CreateControls();
    for (const auto& swatch : kSwatches) {
        ::SetWindowLongPtrW(::GetDlgItem(hwnd_, swatch.id), 0, static_cast<LONG_PTR>(style_.SwatchPenColor));
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
    int label = FirstLabel;
    auto textWidth = [this](const wchar_t* caption) {
        WindowDC dc(hwnd_);
        ScopedSelect font(dc.get(), font_.get());
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.get(), caption, static_cast<int>(wcslen(caption)), &extent);
        return static_cast<int>(extent.cx);
    };
    auto text = [&](int x, int y, const wchar_t* caption) {
        AddControl(L"STATIC", caption, label++, x, y + 2, textWidth(caption) + 1, 15, kChild | SS_NOPREFIX);
    };
    // A label on the left of the control that starts at `right`.
    auto textBefore = [&](int right, int y, const wchar_t* caption) {
        text(right - textWidth(caption) - 4, y, caption);
    };
    auto swatch = [&](Group g, int id, int x, int y) {
        AddControl(kSwatchClass, L"", id, g.x + x, g.y + y, 49, 20, kChild);
    };
    auto radio = [&](Group g, int id, const wchar_t* caption, int x, int y, int w, int h, bool first) {
        AddControl(L"BUTTON", caption, id, g.x + x, g.y + y, w, h,
                   kChild | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0));
    };
    auto check = [&](Group g, int id, const wchar_t* caption, int x, int y, int w, int h) {
        AddControl(L"BUTTON", caption, id, g.x + x, g.y + y, w, h, kChild | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP);
    };
    auto edit = [&](Group g, int id, int x, int y, int w, int h) {
        return AddControl(L"EDIT", L"", id, g.x + x, g.y + y, w, h, kChild | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                          WS_EX_CLIENTEDGE);
    };
    // A spinner at its own place right of its edit (not aligned into it, which would narrow the edit).
    auto spinner = [&](Group g, int id, HWND buddy, int x, int y, int low, int high) {
        HWND control = AddControl(UPDOWN_CLASSW, L"", id, g.x + x, g.y + y, 16, 21,
                                  kChild | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS);
        ::SendMessageW(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
        ::SendMessageW(control, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
    };

    HWND product = AddControl(L"STATIC", L"Kestrival", LLmston, 4, 2, 71, 14, kChild | SS_NOPREFIX);
    ::SendMessageW(product, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);

    grid_ = std::make_unique<GoalGridControl>(hwnd_, SGdata, RECT{4, 20, 304, 493}, font_.get(), controls_.SGdata,
                                              [this] { return Today(); });
    ::SendMessageW(grid_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    // Title band.
    AddControl(L"BUTTON", L" タイトル ", label++, kTitle.x, kTitle.y, 283, 93, kChild | BS_GROUPBOX);
    edit(kTitle, EDtitl, 12, 16, 133, 21);
    textBefore(kTitle.x + 203, kTitle.y + 18, L"生年月日");
    HWND birth = edit(kTitle, EDtbdy, 203, 16, 74, 21);
    ::SendMessageW(birth, EM_LIMITTEXT, 10, 0);
    text(kTitle.x + 12, kTitle.y + 40, L"サブタイトル");
    radio(kTitle, RBtnon, L"なし", 76, 40, 37, 17, true);
    radio(kTitle, RBtday, L"今日の日付", 119, 40, 78, 17, false);
    radio(kTitle, RBtbdy, L"生後の日数", 199, 40, 78, 17, false);
    text(kTitle.x + 12, kTitle.y + 64, L"文字色");
    swatch(kTitle, SPtstr, 54, 64);
    text(kTitle.x + 116, kTitle.y + 64, L"背景色");
    swatch(kTitle, SPtbck, 157, 64);

    // Horizontal and vertical placement share one layout.
    auto placement = [&](Group g, const wchar_t* caption, int offsetId, int offsetSpin, int countId, int countSpin,
                         int nearId, const wchar_t* nearCaption, int farId, const wchar_t* farCaption, int farTop,
                         int centreId) {
        AddControl(L"BUTTON", caption, label++, g.x, g.y, 281, 70, kChild | BS_GROUPBOX);
        textBefore(g.x + 157, g.y + 20, L"オフセット");
        HWND offset = edit(g, offsetId, 157, 18, 41, 21);
        spinner(g, offsetSpin, offset, 198, 18, 0, 100);
        radio(g, nearId, nearCaption, 12, 20, 45, 17, true);
        radio(g, centreId, L"中央", 12, 42, 44, 17, false);
        radio(g, farId, farCaption, 60, farTop, 45, 17, false);
        textBefore(g.x + 157, g.y + 42, L"パネル数");
        HWND count = edit(g, countId, 157, 40, 41, 21);
        spinner(g, countSpin, count, 198, 40, 1, 100);
    };
    placement(kHorizontal, L" 横設定 ", EDhofs, UDhofs, EDhnum, UDhnum, RBhlft, L"左端", RBhrit, L"右端", 19, RBhcnt);
    placement(kVertical, L" 縦設定 ", EDvofs, UDvofs, EDvnum, UDvnum, RBvtop, L"上端", RBvbtm, L"下端", 20, RBvcnt);

    // Appearance.
    AddControl(L"BUTTON", L" 外観 ", label++, kLook.x, kLook.y, 281, 94, kChild | BS_GROUPBOX);
    check(kLook, CHftrs, L"透過", 212, 63, 41, 16);
    text(kLook.x + 12, kLook.y + 20, L"透明度");
    HWND track = AddControl(TRACKBAR_CLASSW, L"", TBftrr, kLook.x + 47, kLook.y + 7, 231, 32,
                            kChild | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_TOP | TBS_AUTOTICKS | TBS_ENABLESELRANGE);
    ::SendMessageW(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, kTrackBarMax));
    text(kLook.x + 12, kLook.y + 42, L"枠線");
    check(kLook, CHftop, L"上", 54, 42, 29, 17);
    check(kLook, CHfbtm, L"下", 90, 42, 33, 17);
    check(kLook, CHflft, L"左", 126, 42, 33, 17);
    check(kLook, CHfrit, L"右", 162, 42, 37, 17);
    text(kLook.x + 12, kLook.y + 64, L"枠線色");
    swatch(kLook, SPffrm, 54, 64);
    text(kLook.x + 116, kLook.y + 64, L"背景色");
    swatch(kLook, SPfbck, 157, 64);

    // Goal panels.
    AddControl(L"BUTTON", L" パネル ", label++, kPanels.x, kPanels.y, 281, 138, kChild | BS_GROUPBOX);
    radio(kPanels, RBphor, L"縦", 188, 18, 31, 18, true);
    radio(kPanels, RBpver, L"横", 225, 18, 30, 17, false);
    text(kPanels.x + 12, kPanels.y + 20, L"枠線色");
    swatch(kPanels, SPpfrm, 78, 20);
    text(kPanels.x + 140, kPanels.y + 20, L"並べ順");
    const struct {
        int x, y, id;
        const wchar_t* caption;
    } panelSwatches[] = {
        {12, 42, SPpcst, L"表題文字色"},  {138, 42, SPpcbk, L"表題背景色"}, {12, 64, SPpsta, L"開始日色"},
        {138, 64, SPpfin, L"終了日色"},   {12, 86, SPpgfr, L"グラフ枠色"},  {138, 86, SPpgrh, L"グラフ色"},
        {12, 108, SPppdy, L"経過日数色"}, {138, 108, SPprdy, L"残日数色"},
    };
    for (const auto& s : panelSwatches) {
        text(kPanels.x + s.x, kPanels.y + s.y, s.caption);
        swatch(kPanels, s.id, s.x + 66, s.y);
    }

    AddControl(L"BUTTON", L"設定する", BTok, 441, 499, 75, 25, kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON);
    AddControl(L"BUTTON", L"設定しない", BTcancel, 518, 499, 75, 25, kChild | WS_TABSTOP | WS_GROUP);
    AddControl(L"BUTTON", L"削除", BTdel, 4, 499, 75, 25, kChild | WS_TABSTOP | WS_GROUP);
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
    const Size screen = PrimaryScreenSize();
    ::SetWindowPos(hwnd_, HWND_TOP, (screen.width - width) / 2, (screen.height - height) / 2, 0, 0, SWP_NOSIZE);
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
            if (code == kSwatchReleased) OnSwatchReleased(id);
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
    grid_->Refresh();
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
    ::InvalidateRect(swatch, nullptr, TRUE);
}

void SetupForm::OnTrackBarChanged() {
    HWND track = ::GetDlgItem(hwnd_, TBftrr);
    const LRESULT position = ::SendMessageW(track, TBM_GETPOS, 0, 0);
    ::SendMessageW(track, TBM_SETSELEND, TRUE, position);
}

void SetupForm::PushControls() {
    for (const auto& t : kTexts) ::SetDlgItemTextW(hwnd_, t.id, Wide(controls_.*t.text).c_str());
    for (const auto& c : kChecks) {
        ::SendDlgItemMessageW(hwnd_, c.id, BM_SETCHECK, controls_.*c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    for (const auto& s : kSwatches) {
        HWND swatch = ::GetDlgItem(hwnd_, s.id);
        ::SetWindowLongPtrW(swatch, GWLP_USERDATA, static_cast<LONG_PTR>(controls_.*s.colour));
        ::InvalidateRect(swatch, nullptr, TRUE);
    }
    HWND track = ::GetDlgItem(hwnd_, TBftrr);
    ::SendMessageW(track, TBM_SETPOS, TRUE, controls_.TBftrr);
    ::SendMessageW(track, TBM_SETSEL, TRUE, MAKELPARAM(0, controls_.TBftrr));
    ::EnableWindow(::GetDlgItem(hwnd_, BTdel), controls_.BTdelEnabled);
    grid_->Refresh();
}

void SetupForm::PullControls() {
    for (const auto& t : kTexts) controls_.*t.text = ControlText(::GetDlgItem(hwnd_, t.id));
    for (const auto& c : kChecks) {
        controls_.*c.checked = ::SendDlgItemMessageW(hwnd_, c.id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    for (const auto& s : kSwatches) {
        controls_.*s.colour = static_cast<std::int32_t>(::GetWindowLongPtrW(::GetDlgItem(hwnd_, s.id), GWLP_USERDATA));
    }
    controls_.TBftrr = static_cast<std::int32_t>(::SendDlgItemMessageW(hwnd_, TBftrr, TBM_GETPOS, 0, 0));
    grid_->TakeEditorText();
}

}  // namespace kestrival
