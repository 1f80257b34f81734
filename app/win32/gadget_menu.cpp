#include "app/win32/gadget_menu.h"

#include "app/win32/gadget_ids.h"
#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {

HMENU BuildGadgetMenu() {
    const HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    ::AppendMenuW(menu, MF_STRING, kCommandSettings, AsWide(texts::kMenuSettings));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCommandSupport, AsWide(texts::kMenuSupport));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCommandQuit, AsWide(texts::kMenuQuit));
    return menu;
}

}  // namespace kestrival
