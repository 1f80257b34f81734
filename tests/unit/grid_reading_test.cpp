#include "settings/dialog/grid_reading.h"

#include <gtest/gtest.h>

#include "support/text.h"

namespace kestrival {
namespace {

TEST(GridReadingTest, ChildIdsCoverHeadersThenRowsOnceEach) {
    const struct {
        GridCellAt cell;
        std::int32_t child;
    } cases[] = {
        {{0, 0}, 1}, {{2, 0}, 3}, {{0, 1}, 4}, {{1, 1}, 5}, {{2, 150}, kGridChildren},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GridChildOf(c.cell), c.child);
        EXPECT_EQ(GridCellOfChild(c.child), c.cell);
    }
    for (std::int32_t child = 1; child <= kGridChildren; ++child) {
        ASSERT_EQ(GridChildOf(*GridCellOfChild(child)), child);
    }
    for (std::int32_t outside : {0, -1, kGridChildren + 1}) EXPECT_FALSE(GridCellOfChild(outside)) << outside;
}

TEST(GridReadingTest, ACellIsPlacedByItsHeaderAndRow) {
    EXPECT_EQ(ToUtf8(GridCellPlace({0, 3})), "表題、3 行目");
    EXPECT_EQ(ToUtf8(GridCellPlace({2, 150})), "終了日、150 行目");
    EXPECT_EQ(ToUtf8(GridHeader(1)), "開始日");
    EXPECT_TRUE(GridHeader(3).empty());
}

}  // namespace
}  // namespace kestrival
