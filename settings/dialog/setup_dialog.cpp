#include "settings/dialog/setup_dialog.h"

#include <algorithm>

#include "support/integer_rule.h"
#include "support/message_dialogs.h"
#include "support/normalize_date.h"
#include "support/text.h"

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

void FillControls(SetupControls& c, const ExecuteSetting& s, const GoalList& goals, const WindowGeometry& g) {
    FillGoalGrid(c.SGdata, goals);
    c.EDtitl = s.TITLE;
    c.EDtbdy = s.BIRTH;
    c.RBtnon = s.DVIEW == 0;
    c.RBtday = s.DVIEW == 1;
    c.RBtbdy = s.DVIEW == 2;
    c.SPtbck = s.TBCOLOR;
    c.SPtstr = s.TTCOLOR;
    // The anchor buttons come before the offsets: selecting one may write its own offset, and
    // the stored offsets must win.
    c.RBhlft = s.HB == 0;
    c.RBhrit = s.HB == 1;
    c.RBhcnt = s.HB == 2;
    RBhlftClick(c, g);
    RBhritClick(c, g);
    c.EDhofs = Decimal(s.DX);
    c.EDhnum = Decimal(s.CL);
    c.RBvtop = s.VB == 0;
    c.RBvbtm = s.VB == 1;
    c.RBvcnt = s.VB == 2;
    RBvtopClick(c, g);
    RBvbtmClick(c, g);
    c.EDvofs = Decimal(s.DY);
    c.EDvnum = Decimal(s.RW);
    c.TBftrr = TrackBarPosition(s.TR);
    c.CHftop = s.FM[kFrameTop] != 0;
    c.CHfbtm = s.FM[kFrameBottom] != 0;
    c.CHflft = s.FM[kFrameLeft] != 0;
    c.CHfrit = s.FM[kFrameRight] != 0;
    c.CHftrs = s.TB != 0;
    c.SPfbck = s.BBCOLOR;
    c.SPffrm = s.BFCOLOR;
    c.RBphor = s.SR == 0;
    c.RBpver = s.SR == 1;
    c.SPpfrm = s.PFCOLOR;
    c.SPpcbk = s.CBCOLOR;
    c.SPpcst = s.CTCOLOR;
    c.SPpsta = s.SDCOLOR;
    c.SPpfin = s.EDCOLOR;
    c.SPpgfr = s.GFCOLOR;
    c.SPpgrh = s.GBCOLOR;
    c.SPppdy = s.PNCOLOR;
    c.SPprdy = s.RNCOLOR;
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
    const std::int64_t across = StrToIntDef(c.EDhnum, 150);
    const std::int64_t down = StrToIntDef(c.EDvnum, 150);
    if (across < 1 || down < 1 || across * down > 150) {
        ShowNotice(kPanelCountNotice, kMbIconInformation);
        return false;
    }
    if (const auto problem = CheckGoalRows(c.SGdata, today)) {
        c.SGdata.editorOpen = false;
        c.SGdata.column = kTitleColumn;
        c.SGdata.row = problem->row;
        ShowNotice(problem->message, kMbIconInformation);
        return false;
    }
    CommitControls(c, setting, goals);
    return true;
}

void CommitControls(const SetupControls& c, ExecuteSetting& s, GoalList& goals) {
    CommitGoalGrid(c.SGdata, goals);
    s.TITLE = c.EDtitl;
    s.BIRTH = c.EDtbdy;
    s.DVIEW = (c.RBtday ? 1 : 0) + (c.RBtbdy ? 2 : 0);
    s.TBCOLOR = c.SPtbck;
    s.TTCOLOR = c.SPtstr;
    s.HB = (c.RBhrit ? 1 : 0) + (c.RBhcnt ? 2 : 0);
    s.DX = StrToIntDef(c.EDhofs, 0);
    s.CL = StrToIntDef(c.EDhnum, 1);
    s.VB = (c.RBvbtm ? 1 : 0) + (c.RBvcnt ? 2 : 0);
    s.DY = StrToIntDef(c.EDvofs, 0);
    s.RW = StrToIntDef(c.EDvnum, 5);
    s.TR = std::clamp(c.TBftrr, 0, kTrackBarMax) * 5 + 10;
    s.FM = {c.CHftop ? 1 : 0, c.CHfbtm ? 1 : 0, c.CHflft ? 1 : 0, c.CHfrit ? 1 : 0};
    s.TB = c.CHftrs ? 1 : 0;
    s.BBCOLOR = c.SPfbck;
    s.BFCOLOR = c.SPffrm;
    s.SR = c.RBpver ? 1 : 0;
    s.PFCOLOR = c.SPpfrm;
    s.CBCOLOR = c.SPpcbk;
    s.CTCOLOR = c.SPpcst;
    s.SDCOLOR = c.SPpsta;
    s.EDCOLOR = c.SPpfin;
    s.GFCOLOR = c.SPpgfr;
    s.GBCOLOR = c.SPpgrh;
    s.PNCOLOR = c.SPppdy;
    s.RNCOLOR = c.SPprdy;
}

void SGdataClick(SetupControls& c) { c.BTdelEnabled = CurrentRowHasText(c.SGdata); }

void BTdelClick(SetupControls& c) {
    if (AskYesNo(kDeleteQuestion, kMbDefButton2) != kIdYes) return;
    ClearCurrentRow(c.SGdata);
}

}  // namespace kestrival
