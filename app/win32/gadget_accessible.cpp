#include "app/win32/gadget_accessible.h"

namespace kestrival {

std::u16string GadgetAccessible::Name(long child) const {
    return child == 0 ? reading_.name : reading_.panels[static_cast<std::size_t>(child - 1)].name;
}

std::u16string GadgetAccessible::Value(long child) const {
    return child == 0 ? std::u16string() : reading_.panels[static_cast<std::size_t>(child - 1)].description;
}

// The window keeps the system's role for a client area; a panel is read as text.
long GadgetAccessible::Role(long child) const { return child == 0 ? 0 : ROLE_SYSTEM_STATICTEXT; }

std::optional<RECT> GadgetAccessible::Bounds(long child) const {
    if (child == 0) return std::nullopt;
    const Rect& b = reading_.panels[static_cast<std::size_t>(child - 1)].bounds;
    return RECT{b.left, b.top, b.right, b.bottom};
}

void GadgetAccessible::Announce(const ReadingChanges& changes) const {
    if (changes.name) Notify(EVENT_OBJECT_NAMECHANGE, 0);
    if (changes.children) {
        Notify(EVENT_OBJECT_REORDER, 0);
        return;
    }
    auto each = [this](const std::vector<std::size_t>& panels, DWORD event) {
        for (std::size_t i : panels) Notify(event, static_cast<long>(i) + 1);
    };
    each(changes.panelNames, EVENT_OBJECT_NAMECHANGE);
    each(changes.panelDescriptions, EVENT_OBJECT_VALUECHANGE);
    each(changes.panelDescriptions, EVENT_OBJECT_DESCRIPTIONCHANGE);
    each(changes.panelBounds, EVENT_OBJECT_LOCATIONCHANGE);
}

}  // namespace kestrival
