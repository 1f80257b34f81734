#pragma once
// The gadget window's rules that do not need a window: the start-up version gate, the
// moved-window rule applied when saving, the timer's interval and the drag zone.
#include <cstdint>
#include <string>
#include <string_view>

#include "kestrival_version.h"

#include "render/geometry.h"
#include "render/layout.h"
#include "support/display_scale.h"
#include "settings/execute_setting.h"

namespace kestrival {

// The help page shipped beside the program, and the support page on the web where the build has
// one. The support item opens the help page when it is there, else the web page.
inline constexpr const char16_t* kHelpPageName = u"Kestrival.html";
inline constexpr const char* kSupportPageUrl = KESTRIVAL_SUPPORT_URL;
// What the support item opens: the help page when `helpPageExists`, else the web address; empty
// when there is neither (the item is then unavailable).
std::u16string SupportTarget(std::u16string_view programFolder, bool helpPageExists);

inline constexpr std::int32_t kMinuteInterval = 60000;
// From 23:57 the gadget repaints often, so the new date appears within a moment of midnight.
inline constexpr std::int32_t kMidnightInterval = 600;

// 5.1 and every 6.x or later run; 5.0, 5.2 and older are refused.
bool PassesVersionGate(std::int32_t major, std::int32_t minor);

// A window the user dragged away from where the last layout put it is stored as anchored to the
// left and top screen edges at its current position, so the next layout puts it back exactly
// there. Both edges are taken even when only one moved. The position is stored in 96-DPI units
// of a display of `dpi`. Returns whether it moved.
bool ApplyMovedWindowRule(ExecuteSetting& setting, Point current, Point laidOut, std::int32_t dpi = kDesignDpi);

// The same on the screens the gadget stands on: a window dropped on another monitor makes that
// monitor its own (MON), and the offsets measure from that monitor's anchor area.
bool ApplyMovedWindowRule(ExecuteSetting& setting, Point current, Point laidOut, Size window, const Screens& screens);

// The settings dialog's Tag: 1 while the window stands where the last layout put it, 0 once the
// user has dragged it (the dialog then offers its present position as left/top anchors).
std::int32_t SettingsDialogTag(Point current, Point laidOut);

// The next timer interval after a pass whose local time read `timeText` ("hh:nn").
std::int32_t TimerInterval(std::u16string_view timeText);

// Whether a cursor at screen row `cursorY` drags the window: every row above the title band's
// bottom edge, margins included, acts as a caption.
bool IsCaptionRow(std::int32_t cursorY, std::int32_t windowTop, std::int32_t titleBandHeight);

}  // namespace kestrival

namespace kestrival {

// Applies the moved-window rule, then saves the settings file.
SaveOutcome SaveWithPosition(ExecuteSetting& setting, const GoalList& goals, Point current, Point laidOut,
                             std::int32_t dpi = kDesignDpi);

SaveOutcome SaveWithPosition(ExecuteSetting& setting, const GoalList& goals, Point current, Point laidOut, Size window,
                             const Screens& screens);

// Tells the user when a save failed (which file, and that the settings were not saved), and
// once a run when a held-back save dropped changes the user made.
void ReportSave(SaveOutcome outcome, ExecuteSetting& setting);
// At quit only a failed save is told: a held-back file was announced when it could not be read,
// and the user's edits when the dialog's OK could not save them.
void ReportSaveAtExit(SaveOutcome outcome, ExecuteSetting& setting);
// Tells the user that the settings file could not be read and will be left alone.
void ReportUnreadableFile(const ExecuteSetting& setting);

}  // namespace kestrival
