#pragma once
// The face the program draws with, as this system has it installed.
#include <cstdint>
#include <string>

namespace kestrival {

// ChooseFace with the font mapper as the judge of what is installed and how tall it is, for text
// `pixelSize` pixels high.
std::wstring ChooseInstalledFace(const std::u16string& wanted, std::int32_t pixelSize);

}  // namespace kestrival
