#pragma once
// The face the gadget and its dialog draw with on Linux: the core's choice among the faces
// fontconfig has installed.
#include <cstdint>
#include <string>

namespace kestrival {

std::u16string ChooseQtFace(const std::u16string& wanted, std::int32_t pixelSize);

}  // namespace kestrival
