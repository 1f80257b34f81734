#include "settings/dialog/setup_form_table.h"

#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

using namespace setup_ids;
using enum ControlKind;

// Group boxes and the origin of the controls inside them.
constexpr ControlGroup kTitle{310, 4}, kHorizontal{310, 103}, kVertical{310, 179}, kLook{310, 255}, kPanels{310, 355};
constexpr ControlGroup kForm{0, 0};

constexpr ControlRow kControlRows[] = {
    {kGroup, 0, texts::kTitleGroup, kTitle, 0, 0, 283, 93},
    {kEdit, EDtitl, nullptr, kTitle, 12, 16, 133, 21, 0, 0, Text(&SetupControls::EDtitl)},
    {kLabelBefore, 0, texts::kBirthDate, kTitle, 203, 18, 0, 0},
    {kEdit, EDtbdy, nullptr, kTitle, 203, 16, 74, 21, 0, 10, Text(&SetupControls::EDtbdy)},
    {kLabel, 0, texts::kSubtitle, kTitle, 12, 40, 0, 0},
    {kFirstRadio, RBtnon, texts::kSubtitleNone, kTitle, 76, 40, 37, 17, 0, 0, Checked(&SetupControls::RBtnon)},
    {kRadio, RBtday, texts::kSubtitleToday, kTitle, 119, 40, 78, 17, 0, 0, Checked(&SetupControls::RBtday)},
    {kRadio, RBtbdy, texts::kSubtitleDaysSinceBirth, kTitle, 199, 40, 78, 17, 0, 0, Checked(&SetupControls::RBtbdy)},
    {kLabel, 0, texts::kTextColour, kTitle, 12, 64, 0, 0},
    {kSwatch, SPtstr, nullptr, kTitle, 54, 64, 49, 20, 0, 0, Colour(&SetupControls::SPtstr)},
    {kLabel, 0, texts::kBackgroundColour, kTitle, 116, 64, 0, 0},
    {kSwatch, SPtbck, nullptr, kTitle, 157, 64, 49, 20, 0, 0, Colour(&SetupControls::SPtbck)},

    {kGroup, 0, texts::kHorizontalGroup, kHorizontal, 0, 0, 281, 70},
    {kLabelBefore, 0, texts::kOffset, kHorizontal, 157, 20, 0, 0},
    {kEdit, EDhofs, nullptr, kHorizontal, 157, 18, 41, 21, 0, 0, Text(&SetupControls::EDhofs)},
    {kSpinner, UDhofs, nullptr, kHorizontal, 198, 18, 16, 21, 0, 100},
    {kFirstRadio, RBhlft, texts::kLeftEdge, kHorizontal, 12, 20, 45, 17, 0, 0, Checked(&SetupControls::RBhlft)},
    {kRadio, RBhcnt, texts::kCentre, kHorizontal, 12, 42, 44, 17, 0, 0, Checked(&SetupControls::RBhcnt)},
    {kRadio, RBhrit, texts::kRightEdge, kHorizontal, 60, 19, 45, 17, 0, 0, Checked(&SetupControls::RBhrit)},
    {kLabelBefore, 0, texts::kPanelCount, kHorizontal, 157, 42, 0, 0},
    {kEdit, EDhnum, nullptr, kHorizontal, 157, 40, 41, 21, 0, 0, Text(&SetupControls::EDhnum)},
    {kSpinner, UDhnum, nullptr, kHorizontal, 198, 40, 16, 21, 1, 100},

    {kGroup, 0, texts::kVerticalGroup, kVertical, 0, 0, 281, 70},
    {kLabelBefore, 0, texts::kOffset, kVertical, 157, 20, 0, 0},
    {kEdit, EDvofs, nullptr, kVertical, 157, 18, 41, 21, 0, 0, Text(&SetupControls::EDvofs)},
    {kSpinner, UDvofs, nullptr, kVertical, 198, 18, 16, 21, 0, 100},
    {kFirstRadio, RBvtop, texts::kTopEdge, kVertical, 12, 20, 45, 17, 0, 0, Checked(&SetupControls::RBvtop)},
    {kRadio, RBvcnt, texts::kCentre, kVertical, 12, 42, 44, 17, 0, 0, Checked(&SetupControls::RBvcnt)},
    {kRadio, RBvbtm, texts::kBottomEdge, kVertical, 60, 20, 45, 17, 0, 0, Checked(&SetupControls::RBvbtm)},
    {kLabelBefore, 0, texts::kPanelCount, kVertical, 157, 42, 0, 0},
    {kEdit, EDvnum, nullptr, kVertical, 157, 40, 41, 21, 0, 0, Text(&SetupControls::EDvnum)},
    {kSpinner, UDvnum, nullptr, kVertical, 198, 40, 16, 21, 1, 100},

    {kGroup, 0, texts::kLookGroup, kLook, 0, 0, 281, 94},
    {kCheck, CHftrs, texts::kTranslucent, kLook, 212, 63, 41, 16, 0, 0, Checked(&SetupControls::CHftrs)},
    {kLabel, 0, texts::kOpacity, kLook, 12, 20, 0, 0},
    {kTrackBar, TBftrr, nullptr, kLook, 47, 7, 231, 32, 0, kTrackBarMax, Position(&SetupControls::TBftrr)},
    {kLabel, 0, texts::kFrameLines, kLook, 12, 42, 0, 0},
    {kCheck, CHftop, texts::kFrameTop, kLook, 54, 42, 29, 17, 0, 0, Checked(&SetupControls::CHftop)},
    {kCheck, CHfbtm, texts::kFrameBottom, kLook, 90, 42, 33, 17, 0, 0, Checked(&SetupControls::CHfbtm)},
    {kCheck, CHflft, texts::kFrameLeft, kLook, 126, 42, 33, 17, 0, 0, Checked(&SetupControls::CHflft)},
    {kCheck, CHfrit, texts::kFrameRight, kLook, 162, 42, 37, 17, 0, 0, Checked(&SetupControls::CHfrit)},
    {kLabel, 0, texts::kFrameColour, kLook, 12, 64, 0, 0},
    {kSwatch, SPffrm, nullptr, kLook, 54, 64, 49, 20, 0, 0, Colour(&SetupControls::SPffrm)},
    {kLabel, 0, texts::kBackgroundColour, kLook, 116, 64, 0, 0},
    {kSwatch, SPfbck, nullptr, kLook, 157, 64, 49, 20, 0, 0, Colour(&SetupControls::SPfbck)},

    {kGroup, 0, texts::kPanelsGroup, kPanels, 0, 0, 281, 138},
    {kFirstRadio, RBphor, texts::kOrderDownFirst, kPanels, 188, 18, 31, 18, 0, 0, Checked(&SetupControls::RBphor)},
    {kRadio, RBpver, texts::kOrderAcrossFirst, kPanels, 225, 18, 30, 17, 0, 0, Checked(&SetupControls::RBpver)},
    {kLabel, 0, texts::kFrameColour, kPanels, 12, 20, 0, 0},
    {kSwatch, SPpfrm, nullptr, kPanels, 78, 20, 49, 20, 0, 0, Colour(&SetupControls::SPpfrm)},
    {kLabel, 0, texts::kPanelOrder, kPanels, 140, 20, 0, 0},
    {kLabel, 0, texts::kCaptionTextColour, kPanels, 12, 42, 0, 0},
    {kSwatch, SPpcst, nullptr, kPanels, 78, 42, 49, 20, 0, 0, Colour(&SetupControls::SPpcst)},
    {kLabel, 0, texts::kCaptionBackgroundColour, kPanels, 138, 42, 0, 0},
    {kSwatch, SPpcbk, nullptr, kPanels, 204, 42, 49, 20, 0, 0, Colour(&SetupControls::SPpcbk)},
    {kLabel, 0, texts::kStartDateColour, kPanels, 12, 64, 0, 0},
    {kSwatch, SPpsta, nullptr, kPanels, 78, 64, 49, 20, 0, 0, Colour(&SetupControls::SPpsta)},
    {kLabel, 0, texts::kEndDateColour, kPanels, 138, 64, 0, 0},
    {kSwatch, SPpfin, nullptr, kPanels, 204, 64, 49, 20, 0, 0, Colour(&SetupControls::SPpfin)},
    {kLabel, 0, texts::kBarFrameColour, kPanels, 12, 86, 0, 0},
    {kSwatch, SPpgfr, nullptr, kPanels, 78, 86, 49, 20, 0, 0, Colour(&SetupControls::SPpgfr)},
    {kLabel, 0, texts::kBarColour, kPanels, 138, 86, 0, 0},
    {kSwatch, SPpgrh, nullptr, kPanels, 204, 86, 49, 20, 0, 0, Colour(&SetupControls::SPpgrh)},
    {kLabel, 0, texts::kDaysElapsedColour, kPanels, 12, 108, 0, 0},
    {kSwatch, SPppdy, nullptr, kPanels, 78, 108, 49, 20, 0, 0, Colour(&SetupControls::SPppdy)},
    {kLabel, 0, texts::kDaysLeftColour, kPanels, 138, 108, 0, 0},
    {kSwatch, SPprdy, nullptr, kPanels, 204, 108, 49, 20, 0, 0, Colour(&SetupControls::SPprdy)},

    {kDefaultButton, BTok, texts::kOk, kForm, 441, 499, 75, 25},
    {kButton, BTcancel, texts::kCancel, kForm, 518, 499, 75, 25},
    {kButton, BTdel, texts::kDelete, kForm, 4, 499, 75, 25},
};

// The control's own caption, else the label just before it, else the group's caption for a first
// control without one.
std::u16string LabelName(std::span<const ControlRow> rows, std::size_t i) {
    if (rows[i].caption) return TrimSpaces(rows[i].caption);
    if (i == 0 || !rows[i - 1].caption) return {};
    const ControlKind before = rows[i - 1].kind;
    if (before == kLabel || before == kLabelBefore || before == kGroup) return TrimSpaces(rows[i - 1].caption);
    return {};
}

// Whether another control of the dialog goes by the same label (the two groups of placement, the
// two background and frame colours). A spinner goes by its edit's name and is not counted.
bool NameRepeats(std::span<const ControlRow> rows, std::size_t i, const std::u16string& name) {
    for (std::size_t j = 0; j < rows.size(); ++j) {
        if (j != i && rows[j].id != 0 && rows[j].kind != kSpinner && LabelName(rows, j) == name) return true;
    }
    return false;
}

std::u16string GroupCaption(ControlGroup group) {
    for (const ControlRow& row : kControlRows) {
        if (row.kind == kGroup && row.group.x == group.x && row.group.y == group.y) return TrimSpaces(row.caption);
    }
    return {};
}

}  // namespace

std::span<const ControlRow> SetupFormRows() { return kControlRows; }

const ControlRow* SetupFormRow(int id) {
    for (const auto& row : kControlRows) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

std::u16string ControlName(int id) {
    if (id == SGdata) return texts::kReadGoalGrid;
    const std::span<const ControlRow> rows = SetupFormRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].id != id) continue;
        if (rows[i].kind == kSpinner) return i > 0 ? ControlName(rows[i - 1].id) : std::u16string();
        const std::u16string name = LabelName(rows, i);
        if (name.empty() || !NameRepeats(rows, i, name)) return name;
        return GroupCaption(rows[i].group) + texts::kReadGroupSeparator + name;
    }
    return {};
}

std::u16string ColourWords(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return FormatText(texts::kReadColour,
                      {static_cast<std::int32_t>(c & 0xFF), static_cast<std::int32_t>((c >> 8) & 0xFF),
                       static_cast<std::int32_t>((c >> 16) & 0xFF)});
}

}  // namespace kestrival
