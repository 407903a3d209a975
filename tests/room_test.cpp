// Rooms made from many seeds keep to the cave's rules.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "room.h"
#include "support.h"

namespace {

struct Box {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    int count = 0;
    void add(int x, int y) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
        ++count;
    }
};

class RoomTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RoomTest, HoldsOnlyWallFloorAndOneExitSquareAndTheFirstBlockIsWalkable) {
    Bitmap room = wallBitmap();
    BITMAP* bmp = room.get();
    srand(GetParam());
    makeRoom(bmp);
    Box exit;
    for (int y = 0; y < bmp->h; ++y) {
        for (int x = 0; x < bmp->w; ++x) {
            const int pixel = getpixel(bmp, x, y);
            ASSERT_TRUE(pixel == wallColour() || pixel == floorColour() || pixel == exitColour())
                << "pixel " << x << "," << y;
            if (pixel == exitColour()) {
                exit.add(x, y);
            }
        }
    }
    // The exit is 13 by 13 around a centre never drawn in the last 10 columns or rows,
    // so only its left and top sides can be clipped.
    const int ex = exit.right - 6;
    const int ey = exit.bottom - 6;
    EXPECT_GE(ex, 0);
    EXPECT_GE(ey, 0);
    EXPECT_LT(ex, bmp->w - 10);
    EXPECT_LT(ey, bmp->h - 10);
    EXPECT_EQ(exit.left, std::max(0, ex - 6));
    EXPECT_EQ(exit.top, std::max(0, ey - 6));
    EXPECT_EQ(exit.count, (exit.right - exit.left + 1) * (exit.bottom - exit.top + 1));

    // The first block's half-extent is at least 10 + 50 around the screen's centre.
    const int cx = SCREEN_W / 2, cy = SCREEN_H / 2;
    for (int y = cy - 60; y <= cy + 60; ++y) {
        for (int x = cx - 60; x <= cx + 60; ++x) {
            ASSERT_TRUE(passable(bmp, x, y)) << "pixel " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoomTest, ::testing::Range(1u, 201u));

}  // namespace
