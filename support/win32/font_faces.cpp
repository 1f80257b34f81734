#include "support/win32/font_faces.h"

#include <windows.h>

#include "support/font_faces.h"
#include "support/win32/gdi_handles.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

Font FontByName(std::u16string_view face, std::int32_t pixelSize) {
    LOGFONTW query{};
    query.lfHeight = -pixelSize;
    query.lfCharSet = DEFAULT_CHARSET;
    Wide(face).copy(query.lfFaceName, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&query));
}

// Whether the font mapper gives the face itself, rather than a substitute, for a request by name.
bool FaceInstalled(std::u16string_view face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    const Font font = FontByName(face, 0);
    MemoryDC dc;
    ScopedSelect selection(dc.get(), font.get());
    wchar_t chosen[LF_FACESIZE] = {};
    ::GetTextFaceW(dc.get(), LF_FACESIZE, chosen);
    return ::lstrcmpiW(chosen, Wide(face).c_str()) == 0;
}

std::int32_t CellHeight(std::u16string_view face, std::int32_t pixelSize) {
    const Font font = FontByName(face, pixelSize);
    MemoryDC dc;
    ScopedSelect selection(dc.get(), font.get());
    TEXTMETRICW metrics{};
    return ::GetTextMetricsW(dc.get(), &metrics) ? metrics.tmHeight : 0;
}

std::u16string DefaultGuiFace() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return FromWide(font.lfFaceName);
}

}  // namespace

std::wstring ChooseInstalledFace(const std::u16string& wanted, std::int32_t pixelSize) {
    return Wide(ChooseFace(wanted, pixelSize, {FaceInstalled, CellHeight}, DefaultGuiFace()));
}

}  // namespace kestrival
