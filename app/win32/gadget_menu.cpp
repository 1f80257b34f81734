#include "app/win32/gadget_menu.h"

#include "app/win32/gadget_ids.h"
#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {

HMENU BuildGadgetMenu(const GadgetMenuState& state) {
    const HMENU menu = ::CreatePopupMenu();
    const HMENU stacking = ::CreatePopupMenu();
    if (!menu || !stacking) {
        if (menu) ::DestroyMenu(menu);
        if (stacking) ::DestroyMenu(stacking);
        return nullptr;
    }
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOrdinary, AsWide(texts::kMenuStackOrdinary));
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOnTop, AsWide(texts::kMenuStackOnTop));
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOnDesktop, AsWide(texts::kMenuStackOnDesktop));
    ::CheckMenuRadioItem(stacking, kCommandStackOrdinary, kCommandStackOnDesktop,
                         kCommandStackOrdinary + static_cast<UINT>(state.stacking), MF_BYCOMMAND);

    ::AppendMenuW(menu, MF_STRING, kCommandSettings, AsWide(texts::kMenuSettings));
    ::AppendMenuW(menu, MF_STRING, kCommandSupport, AsWide(texts::kMenuSupport));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    // The submenu belongs to the menu from here on and is destroyed with it.
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(stacking), AsWide(texts::kMenuStacking));
    ::AppendMenuW(menu, MF_STRING | (state.locked ? MF_CHECKED : 0), kCommandLockPosition,
                  AsWide(texts::kMenuLockPosition));
    ::AppendMenuW(menu, MF_STRING | (state.clickThrough ? MF_CHECKED : 0), kCommandClickThrough,
                  AsWide(texts::kMenuClickThrough));
    ::AppendMenuW(menu, MF_STRING | (state.hideUnderFullScreen ? MF_CHECKED : 0), kCommandHideUnderFullScreen,
                  AsWide(texts::kMenuHideUnderFullScreen));
    ::AppendMenuW(
        menu, MF_STRING | (state.notificationIcon ? MF_CHECKED : 0) | (state.notificationAreaExists ? 0 : MF_GRAYED),
        kCommandNotificationIcon, AsWide(texts::kMenuNotificationIcon));
    ::AppendMenuW(menu, MF_STRING | (state.startsWithWindows ? MF_CHECKED : 0), kCommandStartWithWindows,
                  AsWide(texts::kMenuStartWithWindows));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCommandQuit, AsWide(texts::kMenuQuit));
    return menu;
}

}  // namespace kestrival
