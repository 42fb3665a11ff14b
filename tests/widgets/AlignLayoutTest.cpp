#include <gtest/gtest.h>

#include "widgets/AlignLayout.h"

TEST(TAlignLayout, SidesAreServedTopBottomLeftThenClient) {
    // The main window's own docking at the design client size.
    const auto rects = ComputeAlignedRects(QRect(0, 0, 892, 532), {{TAlignLayout::Bottom, 21},
                                                                   {TAlignLayout::Top, 40},
                                                                   {TAlignLayout::Left, 233},
                                                                   {TAlignLayout::Client, 0}});
    EXPECT_EQ(rects[0], QRect(0, 511, 892, 21));
    EXPECT_EQ(rects[1], QRect(0, 0, 892, 40));
    EXPECT_EQ(rects[2], QRect(0, 40, 233, 471));
    EXPECT_EQ(rects[3], QRect(233, 40, 659, 471));
}

TEST(TAlignLayout, ClientNeverGoesNegative) {
    const auto rects = ComputeAlignedRects(QRect(0, 0, 100, 30),
                                           {{TAlignLayout::Top, 40}, {TAlignLayout::Client, 0}});
    EXPECT_EQ(rects[1].height(), 0);
}
