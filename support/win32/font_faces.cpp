#include "support/win32/font_faces.h"

#include <windows.h>

#include <map>
#include <utility>

#include "support/font_faces.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// What the font list says of a family, without making a font of it (under Wine each font made
// loads its file and keeps it).
struct FamilyInfo {
    bool found = false;
    std::int32_t cellHeight = 0;  // at `pixelSize`
    std::int32_t pixelSize = 0;
};

int CALLBACK OnFamily(const LOGFONTW*, const TEXTMETRICW* metrics, DWORD type, LPARAM data) {
    auto* info = reinterpret_cast<FamilyInfo*>(data);
    info->found = true;
    if (type & TRUETYPE_FONTTYPE) {
        const auto* outline = reinterpret_cast<const NEWTEXTMETRICW*>(metrics);
        if (outline->ntmSizeEM > 0) {
            info->cellHeight = ::MulDiv(static_cast<int>(outline->ntmCellHeight), info->pixelSize,
                                        static_cast<int>(outline->ntmSizeEM));
        }
    } else {
        info->cellHeight = metrics->tmHeight;  // a bitmap face has the size it has
    }
    return 0;  // the first entry says enough
}

FamilyInfo Family(std::u16string_view face, std::int32_t pixelSize) {
    FamilyInfo info;
    info.pixelSize = pixelSize;
    if (face.empty() || face.size() >= LF_FACESIZE) return info;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    Wide(face).copy(query.lfFaceName, LF_FACESIZE - 1);
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, OnFamily, reinterpret_cast<LPARAM>(&info), 0);
    ::ReleaseDC(nullptr, screen);
    return info;
}

bool FaceInstalled(std::u16string_view face) { return Family(face, 12).found; }

std::int32_t CellHeight(std::u16string_view face, std::int32_t pixelSize) { return Family(face, pixelSize).cellHeight; }

std::u16string DefaultGuiFace() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return FromWide(font.lfFaceName);
}

}  // namespace

std::wstring ChooseInstalledFace(const std::u16string& wanted, std::int32_t pixelSize) {
    // The gadget and the dialog ask the same question; the installed faces do not change meanwhile.
    static std::map<std::pair<std::u16string, std::int32_t>, std::wstring> chosen;
    const auto key = std::make_pair(wanted, pixelSize);
    const auto found = chosen.find(key);
    if (found != chosen.end()) return found->second;
    return chosen[key] = Wide(ChooseFace(wanted, pixelSize, {FaceInstalled, CellHeight}, DefaultGuiFace()));
}

}  // namespace kestrival
