#pragma once
// The settings dialog window (TFMsetup): created once, hidden, and shown modally by the gadget's
// settings command. Its rules live in setup_dialog.h; this class only moves state between them
// and the Win32 controls.
#include <windows.h>

#include <memory>
#include <vector>

#include "settings/dialog/setup_dialog.h"
#include "settings/dialog/setup_form_table.h"
#include "settings/dialog/win32/goal_grid_control.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"
#include "support/display_scale.h"
#include "support/win32/gdi_handles.h"
#include "support/win32/handles.h"

namespace kestrival {

class SetupForm {
public:
    // Creates the hidden dialog with all its controls, scaled to `dpi`; nothing when it cannot be
    // created.
    static std::unique_ptr<SetupForm> Create(HINSTANCE instance, const RenderStyle& style, const LocalClock& clock,
                                             std::int32_t dpi = kDesignDpi);
    std::int32_t dpi() const { return scaled_.dpi(); }
    ~SetupForm();
    SetupForm(const SetupForm&) = delete;
    SetupForm& operator=(const SetupForm&) = delete;

    // Shows the dialog modally over `owner`; 1 after OK committed the edits, 2 after cancel.
    std::int32_t ShowModal(HWND owner, std::int32_t tag, const WindowGeometry& geometry, ExecuteSetting& setting,
                           GoalList& goals);

private:
    SetupForm(const RenderStyle& style, const LocalClock& clock, std::int32_t dpi);
    template <typename Window>
    friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void CreateControls();
    HWND AddRow(const ControlRow& row, int id, HWND previous);
    int TextWidth(const wchar_t* caption) const;
    HWND AddControl(const wchar_t* className, const wchar_t* text, int id, int x, int y, int w, int h, DWORD style,
                    DWORD exStyle = 0);
    void OnCommand(int id, int code);
    void OnOk();
    void OnActivate(bool active);
    void RememberFocus();
    void OnAnchorClicked(int id);
    void OnSwatchReleased(int id);
    void OnTrackBarChanged();

    void PushControls();
    void PullControls();
    CivilDate Today() const { return clock_.Now().date; }

    HWND hwnd_ = nullptr;
    const RenderStyle& style_;
    const LocalClock& clock_;
    Scaler scaled_;
    Font font_;
    Font titleFont_;
    SetupControls controls_;
    std::unique_ptr<GoalGridControl> grid_;
    WindowGeometry geometry_;
    ExecuteSetting* setting_ = nullptr;
    GoalList* goals_ = nullptr;
    std::int32_t result_ = 0;
    HWND focusBeforeDeactivation_ = nullptr;
    // Last, so that the window is destroyed first, before the fonts its controls use.
    OwnedWindow window_;
};

}  // namespace kestrival
