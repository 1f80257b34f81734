#include "app/win32/gadget_menu.h"

#include <algorithm>

#include "app/win32/gadget_ids.h"
#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {

HMENU BuildGadgetMenu(const GadgetMenuState& state) {
    const HMENU menu = ::CreatePopupMenu();
    const HMENU stacking = ::CreatePopupMenu();
    const HMENU monitors = ::CreatePopupMenu();
    if (!menu || !stacking || !monitors) {
        for (HMENU made : {menu, stacking, monitors}) {
            if (made) ::DestroyMenu(made);
        }
        return nullptr;
    }
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOrdinary, AsWide(texts::kMenuStackOrdinary));
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOnTop, AsWide(texts::kMenuStackOnTop));
    ::AppendMenuW(stacking, MF_STRING, kCommandStackOnDesktop, AsWide(texts::kMenuStackOnDesktop));
    ::CheckMenuRadioItem(stacking, kCommandStackOrdinary, kCommandStackOnDesktop,
                         kCommandStackOrdinary + static_cast<UINT>(state.stacking), MF_BYCOMMAND);

    ::AppendMenuW(menu, MF_STRING, kCommandSettings, AsWide(texts::kMenuSettings));
    ::AppendMenuW(menu, MF_STRING, kCommandSupport, AsWide(texts::kMenuSupport));
    const std::size_t monitorItems = std::min<std::size_t>(state.monitors.size(), kMaxMonitorItems);
    for (std::size_t i = 0; i < monitorItems; ++i) {
        ::AppendMenuW(monitors, MF_STRING, kCommandMonitorFirst + i, Wide(state.monitors[i]).c_str());
    }
    if (monitorItems > 0) {
        ::CheckMenuRadioItem(monitors, kCommandMonitorFirst, kCommandMonitorFirst + static_cast<UINT>(monitorItems) - 1,
                             kCommandMonitorFirst + static_cast<UINT>(std::min(state.monitor, monitorItems - 1)),
                             MF_BYCOMMAND);
    }

    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    // The submenus belong to the menu from here on and are destroyed with it.
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(stacking), AsWide(texts::kMenuStacking));
    ::AppendMenuW(menu, MF_POPUP | (monitorItems > 0 ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(monitors),
                  AsWide(texts::kMenuMonitor));
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
