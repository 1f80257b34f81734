#include "settings/execute_setting.h"

#include "support/integer_rule.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {

RenderStyle ChooseRenderStyle(std::int32_t osMajorVersion) {
    RenderStyle style;
    const bool classic = osMajorVersion >= 1 && osMajorVersion <= 5;
    style.Font.bold = true;
    style.Font.points = 9;
    style.TitleFontSize = 9;
    if (classic) {
        style.Shaded = 0;
        style.Font.face = u"MS UI Gothic";
        style.PanelFontSize = 9;
        style.DateRowOffset = 0;
        style.BarGap = 0;
        style.DaysRowOffset = 0;
        style.BandExtra = 0;
        style.SwatchPenColor = 0xB99D7F;
    } else {
        style.Shaded = 1;
        style.Font.face = u"Meiryo UI";
        style.PanelFontSize = 8;
        style.DateRowOffset = -3;
        style.BarGap = -4;
        style.DaysRowOffset = -4;
        style.BandExtra = 1;
        style.SwatchPenColor = 0x808080;
    }
    return style;
}

CountChoices ChoicesOfGoal(const ExecuteSetting& setting, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= setting.CNT.size()) return {};
    return setting.CNT[static_cast<std::size_t>(index)];
}

GoalReminders RemindersOfGoal(const ExecuteSetting& setting, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= setting.RMD.size()) return {};
    return setting.RMD[static_cast<std::size_t>(index)];
}

std::u16string DefaultGoal(const CivilDate& today) {
    const std::int32_t year = StrToIntDef(FormatText(u"%04d", {today.year}), 2010);
    return FormatText(std::u16string(texts::kDefaultGoalTitle) + u",%04d/01/01,%04d/01/01", {year + 1, year, year + 1});
}

}  // namespace kestrival
