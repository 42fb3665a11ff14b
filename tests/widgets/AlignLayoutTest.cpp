#include <gtest/gtest.h>

#include "widgets/AlignLayout.h"

TEST(AlignLayout, SidesAreServedTopBottomLeftThenClient) {
    // The main window's own docking at the design client size.
    const auto rects = ComputeAlignedRects(QRect(0, 0, 892, 532), {{AlignLayout::Bottom, 21},
                                                                   {AlignLayout::Top, 40},
                                                                   {AlignLayout::Left, 233},
                                                                   {AlignLayout::Client, 0}});
    EXPECT_EQ(rects[0], QRect(0, 511, 892, 21));
    EXPECT_EQ(rects[1], QRect(0, 0, 892, 40));
    EXPECT_EQ(rects[2], QRect(0, 40, 233, 471));
    EXPECT_EQ(rects[3], QRect(233, 40, 659, 471));
}

TEST(AlignLayout, ClientNeverGoesNegative) {
    const auto rects = ComputeAlignedRects(QRect(0, 0, 100, 30),
                                           {{AlignLayout::Top, 40}, {AlignLayout::Client, 0}});
    EXPECT_EQ(rects[1].height(), 0);
}
