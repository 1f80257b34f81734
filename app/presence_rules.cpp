#include "app/presence_rules.h"

#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {

bool WantsNotificationIcon(const ExecuteSetting& setting) { return setting.TI != 0 || setting.CT != 0; }

std::u16string IconTip(std::u16string_view title, const CivilDate& today, std::size_t maxUnits) {
    std::u16string tip = TrimSpaces(title);
    if (tip.empty()) tip = texts::kProductCaption;
    tip += u' ';
    tip += DateText(today);
    if (tip.size() <= maxUnits) return tip;
    std::size_t cut = maxUnits;
    // A high surrogate at the end would be half a character.
    if (cut > 0 && tip[cut - 1] >= 0xD800 && tip[cut - 1] <= 0xDBFF) --cut;
    return tip.substr(0, cut);
}

bool TurnOffClickThroughOnSecondStart(ExecuteSetting& setting) {
    if (setting.CT == 0) return false;
    setting.CT = 0;
    return true;
}

bool IsShellDesktopClass(std::u16string_view className) { return className == u"WorkerW" || className == u"Progman"; }

bool CoversMonitor(const Rect& window, const Rect& monitor) {
    if (monitor.right <= monitor.left || monitor.bottom <= monitor.top) return false;
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

bool HidesUnderFullScreen(const FrontWindow& front, const Rect& gadgetMonitor, bool systemBusy) {
    if (front.desktop || front.ownProcess) return false;
    if (systemBusy) return true;
    // A full-screen window on another monitor leaves this one free.
    return CoversMonitor(front.bounds, gadgetMonitor);
}

}  // namespace kestrival
