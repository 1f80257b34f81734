#pragma once
// The settings dialog's rules, on plain data: the state of every control, filling it from the
// settings, the anchor buttons, the checks on OK with their notices, and the commit. The Win32
// dialog copies this state to its controls and back.
#include <cstdint>
#include <string>

#include "settings/dialog/goal_grid.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"
#include "support/coordinates.h"

namespace kestrival {

inline constexpr std::int32_t kTrackBarMax = 18;

// Where the gadget window stands and how large the display is, for the anchor buttons.
struct WindowGeometry {
    Rect window;   // 96-DPI units
    Size display;  // the whole primary display
};

// The window and the display measured in pixels of a display of `dpi`, in 96-DPI units: the anchor
// buttons show offsets as the settings file holds them.
WindowGeometry DesignUnitGeometry(const Rect& window, Size display, std::int32_t dpi);

struct SetupControls {
    GoalGrid SGdata;
    std::u16string EDtitl, EDtbdy;
    bool RBtnon = false, RBtday = false, RBtbdy = false;
    std::int32_t SPtstr = 0, SPtbck = 0;
    bool RBhlft = false, RBhrit = false, RBhcnt = false;
    std::u16string EDhofs = u"0", EDhnum = u"1";
    bool RBvtop = false, RBvbtm = false, RBvcnt = false;
    std::u16string EDvofs = u"0", EDvnum = u"1";
    std::int32_t TBftrr = kTrackBarMax;  // position; the selection runs from 0 to it
    bool CHftop = false, CHfbtm = false, CHflft = false, CHfrit = false, CHftrs = false;
    std::int32_t SPffrm = 0, SPfbck = 0;
    bool RBphor = false, RBpver = false;
    std::int32_t SPpfrm = 0, SPpcst = 0, SPpcbk = 0, SPpsta = 0, SPpfin = 0, SPpgfr = 0, SPpgrh = 0, SPppdy = 0,
                 SPprdy = 0;
    bool BTdelEnabled = true;
    // The days off as the days-off dialog last left them.
    std::u16string EDoffd;
};

// The track bar's position for an opacity: (TR - 10) / 5, kept within 0 to 18.
std::int32_t TrackBarPosition(std::int32_t TR);

void FillControls(SetupControls& c, const ExecuteSetting& setting, const GoalList& goals,
                  const WindowGeometry& geometry);
// Each shows the offset that keeps the window where it stands, measured from its edge; only when
// its own button is selected.
void RBhlftClick(SetupControls& c, const WindowGeometry& geometry);
void RBhritClick(SetupControls& c, const WindowGeometry& geometry);
void RBvtopClick(SetupControls& c, const WindowGeometry& geometry);
void RBvbtmClick(SetupControls& c, const WindowGeometry& geometry);

// Fills the controls; with `tag` other than 1 (the window was dragged) the anchors become left
// and top edges at the window's present position. Makes the first title cell current.
void FormShow(SetupControls& c, const ExecuteSetting& setting, const GoalList& goals, const WindowGeometry& geometry,
              std::int32_t tag);

void EDtbdyExit(SetupControls& c, const CivilDate& today);

// The OK button: normalises the birth date, checks the panel counts and the goal rows (showing
// the first failure's notice and making its row current), and on success commits. Returns true
// when the dialog closes with OK.
bool BTokClick(SetupControls& c, ExecuteSetting& setting, GoalList& goals, const CivilDate& today);
void CommitControls(const SetupControls& c, ExecuteSetting& setting, GoalList& goals);

// The grid's click: enables the delete button when the current row holds any text.
void SGdataClick(SetupControls& c);
// The delete button: asks, and on Yes empties the current row.
void BTdelClick(SetupControls& c);

}  // namespace kestrival
