#include "support/font_faces.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrival {
namespace {

// A system with these faces installed, each with its cell height at 12 pixels.
FaceQueries System(std::map<std::u16string, std::int32_t> heights) {
    auto shared = std::make_shared<std::map<std::u16string, std::int32_t>>(std::move(heights));
    return {[shared](std::u16string_view face) { return shared->count(std::u16string(face)) > 0; },
            [shared](std::u16string_view face, std::int32_t pixelSize) {
                EXPECT_EQ(pixelSize, 12);
                const auto found = shared->find(std::u16string(face));
                return found == shared->end() ? 0 : found->second;
            }};
}

TEST(FontFacesTest, ChoosesTheWantedThenWindowsThenFittingFallbackFaces) {
    struct Case {
        std::map<std::u16string, std::int32_t> installed;
        const char16_t* chosen;
    };
    const Case cases[] = {
        {{{u"Meiryo UI", 16}, {u"MS UI Gothic", 12}}, u"Meiryo UI"},         // the wanted face
        {{{u"MS UI Gothic", 12}, {u"Ume UI Gothic", 12}}, u"MS UI Gothic"},  // Windows faces first
        {{{u"Yu Gothic UI", 16}, {u"Ume UI Gothic", 12}}, u"Yu Gothic UI"},  // whatever their height
        {{{u"IPAGothic", 13}, {u"Ume UI Gothic", 12}}, u"Ume UI Gothic"},    // in the fallbacks' order
        {{{u"Noto Sans CJK JP", 17}, {u"IPAGothic", 13}}, u"IPAGothic"},
        {{{u"Noto Sans CJK JP", 17}, {u"VL Gothic", 14}}, u"VL Gothic"},          // 14 fits a 12-pixel em
        {{{u"VL Gothic", 15}, {u"Noto Sans CJK JP", 17}}, u"Noto Sans CJK JP"},   // none fits: the first
        {{{u"IPAPGothic", 13}, {u"Noto Sans CJK JP", 17}}, u"Noto Sans CJK JP"},  // not a fallback
        {{{u"Some Latin Face", 12}}, u"System Face"},
        {{}, u"System Face"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseFace(u"Meiryo UI", 12, System(c.installed), u"System Face"), c.chosen)
            << c.installed.size() << " faces";
    }
}

TEST(FontFacesTest, CellFitsLayoutAtEverySize) {
    EXPECT_TRUE(CellFitsLayout(12, 12));
    EXPECT_TRUE(CellFitsLayout(14, 12));
    EXPECT_FALSE(CellFitsLayout(15, 12));
    EXPECT_TRUE(CellFitsLayout(21, 18));  // 150 %
    EXPECT_FALSE(CellFitsLayout(22, 18));
    EXPECT_FALSE(CellFitsLayout(0, 12));  // unknown height
}

}  // namespace
}  // namespace kestrival
