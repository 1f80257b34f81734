#pragma once
// The settings dialog's window classes, beside its control ids, for the dialog and the tests
// that drive it.
#include "settings/dialog/setup_form_table.h"

namespace kestrival::setup_ids {

inline constexpr const wchar_t* kFormClass = L"KestrivalSetup";
inline constexpr const wchar_t* kSwatchClass = L"KestrivalSwatch";

}  // namespace kestrival::setup_ids
