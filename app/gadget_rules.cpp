#include "app/gadget_rules.h"

#include "render/monitor_choice.h"
#include "support/message_dialogs.h"

namespace kestrival {

bool PassesVersionGate(std::int32_t major, std::int32_t minor) { return major > 5 || (major == 5 && minor == 1); }

bool ApplyMovedWindowRule(ExecuteSetting& setting, Point current, Point laidOut, std::int32_t dpi) {
    if (current == laidOut) return false;
    setting.HB = 0;
    setting.DX = UnscaleLength(current.x, dpi);
    setting.VB = 0;
    setting.DY = UnscaleLength(current.y, dpi);
    return true;
}

bool ApplyMovedWindowRule(ExecuteSetting& setting, Point current, Point laidOut, Size window, const Screens& screens) {
    if (current == laidOut) return false;
    const Rect dropped{current.x, current.y, current.x + window.width, current.y + window.height};
    AdoptMonitorOfDrop(setting.MON, dropped, screens.monitors);
    const Point origin = AnchorOrigin(setting, screens);
    return ApplyMovedWindowRule(setting, {current.x - origin.x, current.y - origin.y},
                                {laidOut.x - origin.x, laidOut.y - origin.y}, screens.primaryDpi);
}

std::u16string SupportTarget(std::u16string_view programFolder, bool helpPageExists) {
    if (helpPageExists) return std::u16string(programFolder) + kHelpPageName;
    std::u16string url;
    for (const char* c = kSupportPageUrl; *c; ++c) url += static_cast<char16_t>(static_cast<unsigned char>(*c));
    return url;
}

std::int32_t SettingsDialogTag(Point current, Point laidOut) { return current == laidOut ? 1 : 0; }

std::int32_t TimerInterval(std::u16string_view timeText) {
    return timeText < std::u16string_view(u"23:57") ? kMinuteInterval : kMidnightInterval;
}

bool IsCaptionRow(std::int32_t cursorY, std::int32_t windowTop, std::int32_t titleBandHeight) {
    return std::int64_t{cursorY} - windowTop < titleBandHeight;
}

}  // namespace kestrival

namespace kestrival {

SaveOutcome SaveWithPosition(ExecuteSetting& setting, const GoalList& goals, Point current, Point laidOut,
                             std::int32_t dpi) {
    ApplyMovedWindowRule(setting, current, laidOut, dpi);
    return setting.Save(goals);
}

SaveOutcome SaveWithPosition(ExecuteSetting& setting, const GoalList& goals, Point current, Point laidOut, Size window,
                             const Screens& screens) {
    ApplyMovedWindowRule(setting, current, laidOut, window, screens);
    return setting.Save(goals);
}

}  // namespace kestrival

namespace kestrival {

void ReportSave(SaveOutcome outcome, ExecuteSetting& setting) {
    if (outcome == SaveOutcome::kFailed) ShowNotice(UnsavedFileNotice(setting.SettingFile), NoticeKind::kInformation);
    if (outcome == SaveOutcome::kHeldBack && setting.DroppedChanges && !setting.DroppedChangesReported) {
        setting.DroppedChangesReported = true;
        ShowNotice(HeldBackFileNotice(setting.SettingFile), NoticeKind::kInformation);
    }
}

void ReportSaveAtExit(SaveOutcome outcome, ExecuteSetting& setting) {
    if (outcome == SaveOutcome::kFailed) ReportSave(outcome, setting);
}

void ReportUnreadableFile(const ExecuteSetting& setting) {
    if (setting.FileUnreadable) ShowNotice(UnreadableFileNotice(setting.SettingFile), NoticeKind::kInformation);
}

}  // namespace kestrival
