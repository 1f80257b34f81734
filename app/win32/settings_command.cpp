#include "app/win32/settings_command.h"

#include <memory>

#include "settings/dialog/win32/setup_form.h"
#include "support/win32/dpi.h"

namespace kestrival {

SettingsDialogCommand MakeSettingsDialogCommand(HINSTANCE instance, ExecuteSetting& setting, GoalList& goals,
                                                const LocalClock& clock, const Environment& environment) {
    // The dialog is made on first use and then kept: the gadget starts without the common
    // controls, and every later showing finds the dialog as it was created.
    auto form = std::make_shared<std::unique_ptr<SetupForm>>();
    return [instance, &setting, &goals, &clock, &environment, form](HWND owner, std::int32_t tag) -> std::int32_t {
        // Made again for a gadget that moved to a monitor of another scale.
        const std::int32_t dpi = WindowDpi(owner);
        if (*form && (*form)->dpi() != dpi) form->reset();
        if (!*form) *form = SetupForm::Create(instance, setting.Style, clock, dpi);
        if (!*form) return 2;
        RECT window{};
        ::GetWindowRect(owner, &window);
        const WindowGeometry geometry = DesignUnitGeometry({window.left, window.top, window.right, window.bottom},
                                                           environment.ScreenSize(), SystemDpi());
        return (*form)->ShowModal(owner, tag, geometry, setting, goals);
    };
}

}  // namespace kestrival
