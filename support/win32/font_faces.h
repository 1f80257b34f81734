#pragma once
// The face the program draws with, as this system has it installed.
#include <string>

namespace kestrival {

// ChooseFace with the font mapper as the judge of what is installed.
std::wstring ChooseInstalledFace(const std::u16string& wanted);

}  // namespace kestrival
