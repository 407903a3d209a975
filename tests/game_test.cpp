// The game's own functions driven through the library's key array, on real bitmaps.
#include <cstdlib>
#include <vector>

#include "game.h"
#include "room.h"
#include "support.h"

namespace {

class Movement : public ::testing::Test {
  protected:
    Bitmap room = wallBitmap();
    int x = 100, y = 100;

    void paint(int left, int top, int right, int bottom, int colour) {
        rectfill(room.get(), left, top, right, bottom, colour);
    }
    void step(std::initializer_list<int> keys) {
        HeldKeys held(keys);
        movePlayer(room.get(), x, y);
    }
};

TEST_F(Movement, UpBeatsDownAndLeftBeatsRight) {
    paint(90, 90, 110, 110, floorColour());
    step({KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT});
    EXPECT_EQ(x, 99);
    EXPECT_EQ(y, 99);
}

TEST_F(Movement, BlockedUpOrLeftFallsBackToDownOrRight) {
    paint(100, 100, 101, 101, floorColour());
    step({KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT});
    EXPECT_EQ(x, 101);
    EXPECT_EQ(y, 101);
}

TEST_F(Movement, HorizontalMoveStartsFromTheRowReached) {
    paint(100, 100, 100, 100, floorColour());
    paint(99, 99, 100, 99, floorColour());  // a way up-left, but a wall to the left
    step({KEY_UP, KEY_LEFT});
    EXPECT_EQ(x, 99);
    EXPECT_EQ(y, 99);

    x = 100, y = 100;
    paint(99, 99, 99, 99, wallColour());
    paint(99, 100, 99, 100, floorColour());  // now open to the left only on the old row
    step({KEY_UP, KEY_LEFT});
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 99);
}

TEST_F(Movement, WallsAndTheBitmapEdgeBlockWhileExitIsWalkable) {
    paint(0, 0, SCREEN_W, SCREEN_H, floorColour());
    x = 0, y = 0;
    step({KEY_UP, KEY_LEFT});
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    x = SCREEN_W - 1, y = SCREEN_H - 1;
    step({KEY_DOWN, KEY_RIGHT});
    EXPECT_EQ(x, SCREEN_W - 1);
    EXPECT_EQ(y, SCREEN_H - 1);

    x = 100, y = 100;
    paint(101, 100, 101, 100, exitColour());
    paint(100, 101, 100, 101, wallColour());
    step({KEY_DOWN, KEY_RIGHT});
    EXPECT_EQ(x, 101);
    EXPECT_EQ(y, 100);
    EXPECT_TRUE(onExit(room.get(), x, y));
}

TEST_F(Movement, NoArrowNoMove) {
    paint(90, 90, 110, 110, floorColour());
    step({KEY_ESC, KEY_SPACE});
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);
}

// Level after level, each holds exactly its monsters and places the player on floor.
TEST(LevelChange, EachLevelHoldsItsMonstersAndThePlayerOnFloor) {
    Bitmap room = wallBitmap();
    srand(10000);
    int x = 0, y = 0, level = 1;
    std::vector<monster> monsters;
    while (level < 30) {
        changeLevel(room.get(), x, y, level, monsters);
        ASSERT_EQ(monsters.size(), static_cast<size_t>(level));
        ASSERT_EQ(getpixel(room.get(), x, y), floorColour());
    }
}

// What the window tests cannot see of a frame: monsters over the player, the label over all.
TEST(Frame, MonstersOverThePlayerAndTheLabelOverAll) {
    Bitmap room = wallBitmap();
    Bitmap buffer = wallBitmap();
    std::vector<monster> monsters(2);
    monsters[0].x = 101.f, monsters[0].y = 101.f;  // right on the player at (100, 100)
    monsters[1].x = 40.f, monsters[1].y = 40.f;
    renderScreen(room.get(), buffer.get(), 100, 100, 7, monsters);
    BITMAP* frame = buffer.get();
    EXPECT_EQ(getpixel(frame, 99, 99), makecol(64, 64, 64));  // the monster over the player
    EXPECT_EQ(getpixel(frame, 35, 39), makecol(64, 64, 64));  // the left and top of the disc
    EXPECT_EQ(getpixel(frame, 39, 35), makecol(64, 64, 64));  // around (39, 39)

    // The label is written last, white over whatever lies beneath it.
    Bitmap label = wallBitmap();
    clear_to_color(label.get(), 0);
    textprintf_ex(label.get(), font, 1, 1, exitColour(), -1, "Level: %d", 7);
    monsters[0].x = 5.f, monsters[0].y = 5.f;
    renderScreen(room.get(), buffer.get(), 100, 100, 7, monsters);
    int white = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (getpixel(label.get(), x, y) == exitColour()) {
                ++white;
                EXPECT_EQ(getpixel(frame, x, y), exitColour()) << x << "," << y;
            }
        }
    }
    EXPECT_GT(white, 20);
}

TEST(GameEnd, EscapeShowsThePromptOverTheLastPictureAndQuits) {
    const int red = makecol(200, 0, 0);
    clear_to_color(screen, red);
    const int before = shell.gamesEnded;
    {
        HeldKeys held({KEY_ESC});
        play();
    }
    EXPECT_EQ(shell.gamesEnded, before + 1);
    // The three lines in the library's font, white on black, and nothing else.
    Bitmap expected = wallBitmap();
    clear_to_color(expected.get(), red);
    const int white = makecol(255, 255, 255), black = makecol(0, 0, 0);
    textprintf_ex(expected.get(), font, 310, 230, white, black, "GAME OVER!");
    textprintf_ex(expected.get(), font, 310, 240, white, black, "Press Escape to quit");
    textprintf_ex(expected.get(), font, 310, 250, white, black, "Or Space for new game");
    EXPECT_TRUE(samePixels(screen, expected.get()));
}

TEST(GameEnd, EscapeAndSpaceHeldRepeatGamesUntilSpaceIsLetGo) {
    const int before = shell.gamesEnded;
    shell.releaseSpaceAfter = before + 25;
    {
        HeldKeys held({KEY_ESC, KEY_SPACE});
        play();
    }
    EXPECT_EQ(shell.gamesEnded, before + 25);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWindow);
    return RUN_ALL_TESTS();
}
