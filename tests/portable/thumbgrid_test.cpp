// The thumbnail grid's arithmetic: picture boxes, cell places, Page Up and Page Down.
#include "thumbs/thumbgrid.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

const ThumbSizes kNormal{80, 100, 76, 76};
const ThumbSizes kLarge{120, 140, 116, 116};

TEST(ThumbGrid, PictureBoxKeepsTheAspectInsideTheCell) {
    EXPECT_EQ(PictureBox(640, 640, kNormal), (ThumbBox{2, 2, 76, 76}));
    EXPECT_EQ(PictureBox(640, 640, kLarge), (ThumbBox{2, 2, 116, 116}));
    EXPECT_EQ(PictureBox(200, 100, kNormal), (ThumbBox{2, 21, 76, 38}));
    EXPECT_EQ(PictureBox(100, 200, kNormal), (ThumbBox{21, 2, 38, 76}));
    EXPECT_EQ(PictureBox(45, 30, kNormal), (ThumbBox{2, 15, 76, 50}));
    // A height of 0 counts as square.
    EXPECT_EQ(PictureBox(300, 0, kNormal), (ThumbBox{2, 2, 76, 76}));
    // Very wide and very tall pictures get boxes of no height or width, never negative ones.
    EXPECT_EQ(PictureBox(32000, 1, kNormal).height, 0);
    EXPECT_EQ(PictureBox(1, 32000, kNormal).width, 0);
    EXPECT_GE(PictureBox(-5, 10, kNormal).width, 0);
}

TEST(ThumbGrid, CellsStandOnAPitchOfTheCellPlusFour) {
    EXPECT_EQ(CellPosition(0, 3, kNormal).left, 4);
    EXPECT_EQ(CellPosition(0, 3, kNormal).top, 4);
    EXPECT_EQ(CellPosition(4, 3, kNormal).left, 88);
    EXPECT_EQ(CellPosition(4, 3, kNormal).top, 108);
    EXPECT_EQ(CellPosition(5, 2, kLarge).left, 128);
    EXPECT_EQ(CellPosition(5, 2, kLarge).top, 292);
    EXPECT_EQ(ColumnsFor(172, kNormal), 2);
    EXPECT_EQ(ColumnsFor(424, kNormal), 5);
    EXPECT_EQ(ColumnsFor(423, kNormal), 4);
    EXPECT_EQ(MinimumClient(kNormal).width, 172);
    EXPECT_EQ(MinimumClient(kNormal).height, 212);
    EXPECT_EQ(MinimumClient(kLarge).width, 252);
    EXPECT_EQ(MinimumClient(kLarge).height, 292);
}

TEST(ThumbGrid, PageUpAndDownMoveOneRowAndWrapWithinTheColumn) {
    // Five columns, twelve cells: rows 1-5, 6-10, 11-12.
    EXPECT_EQ(PageUpTarget(1, 12, 5), 11);
    EXPECT_EQ(PageUpTarget(3, 12, 5), 8);
    EXPECT_EQ(PageUpTarget(5, 12, 5), 10);
    EXPECT_EQ(PageUpTarget(7, 12, 5), 2);
    EXPECT_EQ(PageUpTarget(12, 12, 5), 7);
    EXPECT_EQ(PageDownTarget(8, 12, 5), 3);
    EXPECT_EQ(PageDownTarget(10, 12, 5), 5);
    EXPECT_EQ(PageDownTarget(2, 12, 5), 7);
    EXPECT_EQ(PageDownTarget(12, 12, 5), 2);
    // A single row: the focus stays.
    for (int a = 1; a <= 3; ++a) {
        EXPECT_EQ(PageUpTarget(a, 3, 5), a);
        EXPECT_EQ(PageDownTarget(a, 3, 5), a);
    }
    // Full last row.
    EXPECT_EQ(PageUpTarget(5, 10, 5), 10);
    EXPECT_EQ(PageDownTarget(10, 10, 5), 5);
}

} // namespace
} // namespace corv
