#pragma once
// The settings dialog's controls as data, the same on every platform: each control's kind, id,
// caption, place and size in 96-DPI units inside its group box, range, and the field of the
// dialog's state it shows. A platform makes one control per row and moves values through the
// bindings; a control is named here once.
#include <cstdint>
#include <span>
#include <string>

#include "settings/dialog/setup_dialog.h"

namespace kestrival {

namespace setup_ids {

enum : int {
    BTok = 1,      // IDOK: the default button
    BTcancel = 2,  // IDCANCEL: "設定しない"
    SGdata = 100,
    BTdel,
    EDtitl,
    EDtbdy,
    RBtnon,
    RBtday,
    RBtbdy,
    SPtstr,
    SPtbck,
    RBhlft,
    RBhrit,
    RBhcnt,
    EDhofs,
    UDhofs,
    EDhnum,
    UDhnum,
    RBvtop,
    RBvbtm,
    RBvcnt,
    EDvofs,
    UDvofs,
    EDvnum,
    UDvnum,
    TBftrr,
    CHftop,
    CHfbtm,
    CHflft,
    CHfrit,
    SPffrm,
    SPfbck,
    CHftrs,
    SPpfrm,
    RBphor,
    RBpver,
    SPpcst,
    SPpcbk,
    SPpsta,
    SPpfin,
    SPpgfr,
    SPpgrh,
    SPppdy,
    SPprdy,
    LLmston,
    FirstLabel = 300,
};

}  // namespace setup_ids

// The dialog's client area at 96 DPI.
inline constexpr std::int32_t kSetupClientWidth = 596;
inline constexpr std::int32_t kSetupClientHeight = 528;

enum class ControlKind {
    kGroup,
    kLabel,
    kLabelBefore,  // ends 4 units left of `x`
    kEdit,
    kSpinner,     // steps the edit before it
    kFirstRadio,  // starts a group of radio buttons
    kRadio,
    kCheck,
    kSwatch,
    kTrackBar,
    kDefaultButton,
    kButton,
};

// The origin of a group box, which the controls inside it are placed from.
struct ControlGroup {
    std::int32_t x = 0, y = 0;
};

// The field of the dialog's state a control shows and edits; at most one is set.
struct ControlBinding {
    std::u16string SetupControls::*text = nullptr;
    bool SetupControls::*checked = nullptr;
    std::int32_t SetupControls::*colour = nullptr;
    std::int32_t SetupControls::*position = nullptr;
};
constexpr ControlBinding Text(std::u16string SetupControls::*field) { return {field, nullptr, nullptr, nullptr}; }
constexpr ControlBinding Checked(bool SetupControls::*field) { return {nullptr, field, nullptr, nullptr}; }
constexpr ControlBinding Colour(std::int32_t SetupControls::*field) { return {nullptr, nullptr, field, nullptr}; }
constexpr ControlBinding Position(std::int32_t SetupControls::*field) { return {nullptr, nullptr, nullptr, field}; }

// Labels and group boxes have id 0; a platform numbers them from FirstLabel in table order.
struct ControlRow {
    ControlKind kind;
    int id;
    const char16_t* caption;
    ControlGroup group;
    std::int32_t x, y, w, h;
    // Spinners and the track bar: their range; an edit: the most characters it takes in `high`
    // (0 for no limit).
    std::int32_t low = 0, high = 0;
    ControlBinding binding = {};
};

// Below the product label and the goal grid, in tab order.
std::span<const ControlRow> SetupFormRows();
// The row of a control id; null for none.
const ControlRow* SetupFormRow(int id);

// What a screen reader calls a control: its own caption, else the label just before it (the
// group's caption for a first control without one), with its group's caption in front where
// another control has the same label ("外観 背景色"); a spinner takes its edit's name, and the
// goal grid has a name of its own. Empty for an unknown id.
std::u16string ControlName(int id);
// A colour as a reader speaks it: its red, green and blue from 0 to 255.
std::u16string ColourWords(std::int32_t colour);

}  // namespace kestrival
