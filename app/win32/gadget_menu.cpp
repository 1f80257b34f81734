#include "app/win32/gadget_menu.h"

#include "app/win32/ui_texts.h"

namespace kestrival {

HMENU BuildGadgetMenu() {
    const HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    ::AppendMenuW(menu, MF_STRING, kCommandSettings, kMenuSettings);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCommandSupport, kMenuSupport);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCommandQuit, kMenuQuit);
    return menu;
}

}  // namespace kestrival
