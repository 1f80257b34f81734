#include "settings/dialog/setup_form_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/message_dialogs.h"
#include "support/text.h"
#include "tests/common/fakes.h"

namespace kestrival {
namespace {

using enum ControlKind;

int BindingCount(const ControlBinding& b) {
    return (b.text != nullptr) + (b.checked != nullptr) + (b.colour != nullptr) + (b.position != nullptr);
}

TEST(SetupFormTableTest, EveryControlThatHoldsAValueIsBoundOnceAndNothingElseIs) {
    std::set<int> ids;
    for (const auto& row : SetupFormRows()) {
        SCOPED_TRACE(row.id);
        const bool holdsValue = row.kind == kEdit || row.kind == kFirstRadio || row.kind == kRadio ||
                                row.kind == kCheck || row.kind == kSwatch || row.kind == kTrackBar;
        EXPECT_EQ(BindingCount(row.binding), holdsValue ? 1 : 0);
        EXPECT_EQ(row.kind == kSwatch, row.binding.colour != nullptr);
        EXPECT_EQ(row.kind == kEdit, row.binding.text != nullptr);
        EXPECT_TRUE(row.id == 0 || ids.insert(row.id).second) << "two rows share an id";
        EXPECT_EQ(row.id == 0, row.kind == kGroup || row.kind == kLabel || row.kind == kLabelBefore);
        EXPECT_EQ(SetupFormRow(row.id ? row.id : -1), row.id ? &row : nullptr);
    }
}

// The dialog's state as the controls show it, filled from settings whose colours all differ; each
// bound control must show a value of its own, and writing distinct values back through the
// bindings must reach distinct settings: a control missing from the table, or bound to the wrong
// field, is caught here.
TEST(SetupFormTableTest, EverySwatchLoadsAndSavesItsOwnColour) {
    RecordingBackend backend;
    InitMessageDialogs(6, &backend);
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues({2026, 12, 10}, goals);
    std::int32_t* colours[] = {&setting.BFCOLOR, &setting.BBCOLOR, &setting.TBCOLOR, &setting.TTCOLOR, &setting.PFCOLOR,
                               &setting.CBCOLOR, &setting.CTCOLOR, &setting.SDCOLOR, &setting.EDCOLOR, &setting.PNCOLOR,
                               &setting.RNCOLOR, &setting.GFCOLOR, &setting.GBCOLOR};
    std::int32_t value = 0x010101;
    for (std::int32_t* colour : colours) *colour = (value += 0x010203);

    SetupControls controls;
    FillControls(controls, setting, goals, {{0, 0, 100, 100}, {1920, 1080}});
    std::set<std::int32_t> shown;
    for (const auto& row : SetupFormRows()) {
        if (row.binding.colour) shown.insert(controls.*row.binding.colour);
    }
    EXPECT_EQ(shown.size(), std::size(colours));

    std::int32_t next = 0x100000;
    std::set<std::int32_t> written;
    for (const auto& row : SetupFormRows()) {
        if (row.binding.colour) written.insert(controls.*row.binding.colour = (next += 0x000011));
    }
    CommitControls(controls, setting, goals);
    std::set<std::int32_t> saved;
    for (std::int32_t* colour : colours) saved.insert(*colour);
    EXPECT_EQ(saved, written);
    InitMessageDialogs(6, nullptr);
}

TEST(SetupFormTableTest, NoTwoControlsShareAFieldAndNoneIsLeftOut) {
    SetupControls controls;
    std::set<const void*> fields;
    for (const auto& row : SetupFormRows()) {
        const ControlBinding& b = row.binding;
        const void* field = b.text       ? static_cast<const void*>(&(controls.*b.text))
                            : b.checked  ? static_cast<const void*>(&(controls.*b.checked))
                            : b.colour   ? static_cast<const void*>(&(controls.*b.colour))
                            : b.position ? static_cast<const void*>(&(controls.*b.position))
                                         : nullptr;
        EXPECT_TRUE(!field || fields.insert(field).second) << "two controls bound to one field: " << row.id;
    }
    // Six edits, eleven radio buttons, five check boxes, thirteen swatches, the track bar.
    EXPECT_EQ(fields.size(), 6u + 11u + 5u + 13u + 1u);
}

TEST(SetupFormTableTest, ControlsAreNamedByTheLabelBesideThem) {
    using namespace setup_ids;
    const struct {
        int id;
        const char16_t* name;
    } cases[] = {
        {EDtitl, u"タイトル"},  // first in its group: the group's caption, without its spaces
        {EDtbdy, u"生年月日"},  // a label placed before its edit
        {SPtstr, u"文字色"},    // a swatch
        {SPprdy, u"残日数色"},
        {TBftrr, u"透明度"},  // the slider
        {CHftrs, u"透過"},    // its own caption
        {RBphor, u"縦"},
        {BTok, u"設定する"},
        // A label that two controls share says which group each sits in; a spinner goes with its edit.
        {SPtbck, u"タイトル 背景色"},
        {SPfbck, u"外観 背景色"},
        {SPffrm, u"外観 枠線色"},
        {SPpfrm, u"パネル 枠線色"},
        {EDhofs, u"横設定 オフセット"},
        {UDhofs, u"横設定 オフセット"},
        {UDvnum, u"縦設定 パネル数"},
        {RBvcnt, u"縦設定 中央"},
        {SGdata, u"目標の一覧"},
        {12345, u""},
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf8(ControlName(c.id)), ToUtf8(c.name)) << c.id;
    // Every control a reader can reach has a name, and no other control has it but a spinner,
    // which goes with its edit.
    std::map<std::u16string, int> named;
    for (const auto& row : SetupFormRows()) {
        if (row.id == 0 || row.kind == ControlKind::kSpinner) continue;
        const std::u16string name = ControlName(row.id);
        EXPECT_FALSE(name.empty()) << row.id;
        const auto [first, added] = named.emplace(name, row.id);
        EXPECT_TRUE(added) << ToUtf8(name) << " names " << first->second << " and " << row.id;
    }
    EXPECT_EQ(ToUtf8(ColourWords(0x8040FF)), "赤 255、緑 64、青 128");
    EXPECT_EQ(ToUtf8(ColourWords(0x7F000000)), "赤 0、緑 0、青 0");
}

}  // namespace
}  // namespace kestrival
