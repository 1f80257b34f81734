#include "support/win32/font_faces.h"

#include <windows.h>

#include <map>
#include <utility>

#include "support/font_faces.h"
#include "support/win32/gdi_handles.h"
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

// `dc` is a memory DC compatible with the screen: it lists the same fonts as the screen's DC,
// which costs a round of the window system each time it is fetched and given back.
FamilyInfo Family(HDC dc, std::u16string_view face, std::int32_t pixelSize) {
    FamilyInfo info;
    info.pixelSize = pixelSize;
    if (face.empty() || face.size() >= LF_FACESIZE) return info;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    Wide(face).copy(query.lfFaceName, LF_FACESIZE - 1);
    ::EnumFontFamiliesExW(dc, &query, OnFamily, reinterpret_cast<LPARAM>(&info), 0);
    return info;
}

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
    const MemoryDC dc;
    const FaceQueries queries{
        [&dc](std::u16string_view face) { return Family(dc.get(), face, 12).found; },
        [&dc](std::u16string_view face, std::int32_t size) { return Family(dc.get(), face, size).cellHeight; }};
    return chosen[key] = Wide(ChooseFace(wanted, pixelSize, queries, DefaultGuiFace()));
}

}  // namespace kestrival
