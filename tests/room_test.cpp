// Rooms made from many seeds keep to the cave's rules.
#include <algorithm>
#include <cstdlib>

#include "room.h"
#include "support.h"

namespace {

class RoomTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RoomTest, HoldsOnlyWallFloorAndOneExitSquareAndTheFirstBlockIsWalkable) {
    Bitmap room = wallBitmap();
    BITMAP* bmp = room.get();
    srand(GetParam());
    makeRoom(bmp);
    int exits = 0, ex = -1, ey = -1;  // the exit's centre: 6 up and left of its last pixel
    for (int y = 0; y < bmp->h; ++y) {
        for (int x = 0; x < bmp->w; ++x) {
            const int pixel = getpixel(bmp, x, y);
            ASSERT_TRUE(pixel == wallColour() || pixel == floorColour() || pixel == exitColour())
                << "pixel " << x << "," << y;
            if (pixel == exitColour()) {
                ++exits;
                ex = x - 6;
                ey = y - 6;
            }
        }
    }
    // The exit is 13 by 13 around a centre never drawn in the last 10 columns or rows,
    // so only its left and top sides can be clipped: exit pixels fill that square alone.
    EXPECT_GE(ex, 0);
    EXPECT_GE(ey, 0);
    EXPECT_LT(ex, bmp->w - 10);
    EXPECT_LT(ey, bmp->h - 10);
    const int left = std::max(0, ex - 6), top = std::max(0, ey - 6);
    EXPECT_EQ(exits, (ex + 7 - left) * (ey + 7 - top));
    for (int y = top; y <= ey + 6; ++y) {
        for (int x = left; x <= ex + 6; ++x) {
            ASSERT_EQ(getpixel(bmp, x, y), exitColour()) << "exit pixel " << x << "," << y;
        }
    }

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
