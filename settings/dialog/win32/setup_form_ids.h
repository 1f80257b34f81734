#pragma once
// Control identifiers of the settings dialog, shared by the dialog and the tests that drive it.
namespace kestrival::setup_ids {

inline constexpr const wchar_t* kFormClass = L"KestrivalSetup";
inline constexpr const wchar_t* kSwatchClass = L"KestrivalSwatch";

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

}  // namespace kestrival::setup_ids
