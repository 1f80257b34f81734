#include "support/win32/font_faces.h"

#include <windows.h>

#include "support/font_faces.h"
#include "support/win32/gdi_handles.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// Whether the font mapper gives the face itself, rather than a substitute, for a request by name.
bool FaceInstalled(std::u16string_view face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    Wide(face).copy(query.lfFaceName, LF_FACESIZE - 1);
    Font font(::CreateFontIndirectW(&query));
    MemoryDC dc;
    ScopedSelect selection(dc.get(), font.get());
    wchar_t chosen[LF_FACESIZE] = {};
    ::GetTextFaceW(dc.get(), LF_FACESIZE, chosen);
    return ::lstrcmpiW(chosen, Wide(face).c_str()) == 0;
}

std::u16string DefaultGuiFace() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    const std::wstring face = font.lfFaceName;
    return std::u16string(face.begin(), face.end());
}

}  // namespace

std::wstring ChooseInstalledFace(const std::u16string& wanted) {
    return Wide(ChooseFace(wanted, FaceInstalled, DefaultGuiFace()));
}

}  // namespace kestrival
