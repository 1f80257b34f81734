#include "settings/dialog/setup_dialog.h"

#include <algorithm>

#include "support/display_scale.h"
#include "support/integer_rule.h"
#include "support/message_dialogs.h"
#include "support/normalize_date.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

std::u16string Decimal(std::int64_t value) {
    return FormatText(u"%d", {static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX))});
}

}  // namespace

std::int32_t TrackBarPosition(std::int32_t TR) {
    return static_cast<std::int32_t>(
        std::clamp((std::int64_t{TR} - 10) / 5, std::int64_t{0}, std::int64_t{kTrackBarMax}));
}

void RBhlftClick(SetupControls& c, const WindowGeometry& g) {
    if (c.RBhlft) c.EDhofs = Decimal(g.window.left);
}

void RBhritClick(SetupControls& c, const WindowGeometry& g) {
    const std::int64_t width = std::int64_t{g.window.right} - g.window.left;
    if (c.RBhrit) c.EDhofs = Decimal(std::int64_t{g.display.width} - g.window.left - width);
}

void RBvtopClick(SetupControls& c, const WindowGeometry& g) {
    if (c.RBvtop) c.EDvofs = Decimal(g.window.top);
}

void RBvbtmClick(SetupControls& c, const WindowGeometry& g) {
    const std::int64_t height = std::int64_t{g.window.bottom} - g.window.top;
    if (c.RBvbtm) c.EDvofs = Decimal(std::int64_t{g.display.height} - g.window.top - height);
}

namespace {

// How the dialog's controls stand for the settings. Every table is read in both directions: by
// FillControls from the settings and by CommitControls back into them.
struct ColourField {
    std::int32_t SetupControls::*control;
    std::int32_t ExecuteSetting::*setting;
};
constexpr ColourField kColourFields[] = {
    {&SetupControls::SPtbck, &ExecuteSetting::TBCOLOR}, {&SetupControls::SPtstr, &ExecuteSetting::TTCOLOR},
    {&SetupControls::SPfbck, &ExecuteSetting::BBCOLOR}, {&SetupControls::SPffrm, &ExecuteSetting::BFCOLOR},
    {&SetupControls::SPpfrm, &ExecuteSetting::PFCOLOR}, {&SetupControls::SPpcbk, &ExecuteSetting::CBCOLOR},
    {&SetupControls::SPpcst, &ExecuteSetting::CTCOLOR}, {&SetupControls::SPpsta, &ExecuteSetting::SDCOLOR},
    {&SetupControls::SPpfin, &ExecuteSetting::EDCOLOR}, {&SetupControls::SPpgfr, &ExecuteSetting::GFCOLOR},
    {&SetupControls::SPpgrh, &ExecuteSetting::GBCOLOR}, {&SetupControls::SPppdy, &ExecuteSetting::PNCOLOR},
    {&SetupControls::SPprdy, &ExecuteSetting::RNCOLOR},
};

// A group of radio buttons for one setting: the n-th button stands for the value n.
struct RadioField {
    std::int32_t ExecuteSetting::*setting;
    bool SetupControls::*buttons[3];
};
constexpr RadioField kSubtitle{&ExecuteSetting::DVIEW,
                               {&SetupControls::RBtnon, &SetupControls::RBtday, &SetupControls::RBtbdy}};
constexpr RadioField kHorizontalAnchor{&ExecuteSetting::HB,
                                       {&SetupControls::RBhlft, &SetupControls::RBhrit, &SetupControls::RBhcnt}};
constexpr RadioField kVerticalAnchor{&ExecuteSetting::VB,
                                     {&SetupControls::RBvtop, &SetupControls::RBvbtm, &SetupControls::RBvcnt}};
constexpr RadioField kPanelOrder{&ExecuteSetting::SR, {&SetupControls::RBphor, &SetupControls::RBpver, nullptr}};

// A number typed into an edit; `fallback` is taken when the text is not a number.
struct NumberField {
    std::u16string SetupControls::*control;
    std::int32_t ExecuteSetting::*setting;
    std::int32_t fallback;
};
constexpr NumberField kHorizontalOffset{&SetupControls::EDhofs, &ExecuteSetting::DX, 0};
constexpr NumberField kVerticalOffset{&SetupControls::EDvofs, &ExecuteSetting::DY, 0};
constexpr NumberField kCounts[] = {
    {&SetupControls::EDhnum, &ExecuteSetting::CL, 1},
    {&SetupControls::EDvnum, &ExecuteSetting::RW, 5},
};

struct TextField {
    std::u16string SetupControls::*control;
    std::u16string ExecuteSetting::*setting;
};
constexpr TextField kTextFields[] = {
    {&SetupControls::EDtitl, &ExecuteSetting::TITLE},
    {&SetupControls::EDtbdy, &ExecuteSetting::BIRTH},
    {&SetupControls::EDoffd, &ExecuteSetting::OFFDAYS},
};

struct FrameField {
    bool SetupControls::*control;
    FrameEdge edge;
};
constexpr FrameField kFrameFields[] = {
    {&SetupControls::CHftop, kFrameTop},
    {&SetupControls::CHfbtm, kFrameBottom},
    {&SetupControls::CHflft, kFrameLeft},
    {&SetupControls::CHfrit, kFrameRight},
};

void Fill(SetupControls& c, const RadioField& field, const ExecuteSetting& s) {
    for (std::int32_t value = 0; value < 3; ++value) {
        if (field.buttons[value]) c.*field.buttons[value] = s.*field.setting == value;
    }
}

void Commit(const SetupControls& c, const RadioField& field, ExecuteSetting& s) {
    std::int32_t value = 0;
    for (std::int32_t n = 1; n < 3; ++n) {
        if (field.buttons[n] && c.*field.buttons[n]) value += n;
    }
    s.*field.setting = value;
}

void Fill(SetupControls& c, const NumberField& field, const ExecuteSetting& s) {
    c.*field.control = Decimal(s.*field.setting);
}

void Commit(const SetupControls& c, const NumberField& field, ExecuteSetting& s) {
    s.*field.setting = StrToIntDef(c.*field.control, field.fallback);
}

}  // namespace

void FillControls(SetupControls& c, const ExecuteSetting& s, const GoalList& goals, const WindowGeometry& g) {
    FillGoalGrid(c.SGdata, goals, s.CNT, s.RMD);
    for (const auto& field : kTextFields) c.*field.control = s.*field.setting;
    for (const auto& field : kColourFields) c.*field.control = s.*field.setting;
    Fill(c, kSubtitle, s);
    // The anchor buttons come before the offsets: selecting one may write its own offset, and
    // the stored offsets must win.
    Fill(c, kHorizontalAnchor, s);
    RBhlftClick(c, g);
    RBhritClick(c, g);
    Fill(c, kHorizontalOffset, s);
    Fill(c, kVerticalAnchor, s);
    RBvtopClick(c, g);
    RBvbtmClick(c, g);
    Fill(c, kVerticalOffset, s);
    for (const auto& field : kCounts) Fill(c, field, s);
    c.TBftrr = TrackBarPosition(s.TR);
    for (const auto& field : kFrameFields) c.*field.control = s.FM[field.edge] != 0;
    c.CHftrs = s.TB != 0;
    Fill(c, kPanelOrder, s);
}

WindowGeometry DesignUnitGeometry(const Rect& window, Size display, std::int32_t dpi) {
    const auto unscaled = [dpi](std::int32_t length) { return UnscaleLength(length, dpi); };
    return {{unscaled(window.left), unscaled(window.top), unscaled(window.right), unscaled(window.bottom)},
            {unscaled(display.width), unscaled(display.height)}};
}

void FormShow(SetupControls& c, const ExecuteSetting& setting, const GoalList& goals, const WindowGeometry& g,
              std::int32_t tag) {
    FillControls(c, setting, goals, g);
    if (tag != 1) {
        c.RBhlft = true;
        c.RBhrit = c.RBhcnt = false;
        RBhlftClick(c, g);
        c.RBvtop = true;
        c.RBvbtm = c.RBvcnt = false;
        RBvtopClick(c, g);
    }
    c.SGdata.column = kTitleColumn;
    c.SGdata.row = 1;
    c.SGdata.editorOpen = false;
    SGdataClick(c);  // moving the current cell raises the grid's click event
}

void EDtbdyExit(SetupControls& c, const CivilDate& today) { c.EDtbdy = NormalizeDate(c.EDtbdy, today); }

bool BTokClick(SetupControls& c, ExecuteSetting& setting, GoalList& goals, const CivilDate& today) {
    EDtbdyExit(c, today);
    const std::int64_t across = StrToIntDef(c.EDhnum, kMaxPanels);
    const std::int64_t down = StrToIntDef(c.EDvnum, kMaxPanels);
    if (across < 1 || down < 1 || across * down > kMaxPanels) {
        ShowNotice(texts::kPanelCountNotice, NoticeKind::kInformation);
        return false;
    }
    if (const auto problem = CheckGoalRows(c.SGdata, today)) {
        c.SGdata.editorOpen = false;
        c.SGdata.column = kTitleColumn;
        c.SGdata.row = problem->row;
        SGdataClick(c);  // the current cell moved: the delete button follows it
        ShowNotice(problem->message, NoticeKind::kInformation);
        return false;
    }
    CommitControls(c, setting, goals);
    return true;
}

void CommitControls(const SetupControls& c, ExecuteSetting& s, GoalList& goals) {
    CommitGoalGrid(c.SGdata, goals, s.CNT, s.RMD);
    for (const auto& field : kTextFields) s.*field.setting = c.*field.control;
    for (const auto& field : kColourFields) s.*field.setting = c.*field.control;
    for (const auto& radio : {kSubtitle, kHorizontalAnchor, kVerticalAnchor, kPanelOrder}) Commit(c, radio, s);
    for (const auto& number : {kHorizontalOffset, kVerticalOffset}) Commit(c, number, s);
    for (const auto& field : kCounts) Commit(c, field, s);
    s.TR = std::clamp(c.TBftrr, 0, kTrackBarMax) * 5 + 10;
    for (const auto& field : kFrameFields) s.FM[field.edge] = c.*field.control ? 1 : 0;
    s.TB = c.CHftrs ? 1 : 0;
}

void SGdataClick(SetupControls& c) { c.BTdelEnabled = CurrentRowHasText(c.SGdata); }

void BTdelClick(SetupControls& c) {
    if (AskYesNo(texts::kDeleteQuestion, Answer::kNo) != Answer::kYes) return;
    ClearCurrentRow(c.SGdata);
}

}  // namespace kestrival
