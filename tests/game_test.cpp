// The game's own functions driven through the library's key array, on real bitmaps.
#include <cstdlib>
#include <vector>

#include "game.h"
#include "room.h"
#include "support.h"

namespace {

// Each case: one move from a point with keys held, where it ends, and the room's squares
// over wall.
TEST(Movement, OnePixelAnAxisUpBeforeDownLeftBeforeRightOntoFloorOrExit) {
    using Point = std::pair<int, int>;
    const int floor = floorColour();
    const std::vector<int> all = {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT};
    const std::vector<int> upLeft = {KEY_UP, KEY_LEFT}, downRight = {KEY_DOWN, KEY_RIGHT};
    const Square square = {90, 90, 110, 110, floor}, open = {0, 0, SCREEN_W, SCREEN_H, floor};
    const Square up = {100, 99, 100, 100, floor};  // the column from the centre one up
    const Square exit = {101, 100, 101, 100, exitColour()};
    const Square wall = {100, 101, 100, 101, wallColour()};
    const Point centre = {100, 100}, corner = {SCREEN_W - 1, SCREEN_H - 1};
    const struct {
        const char* what;
        Point from;
        std::vector<int> keys;
        Point to;
        std::vector<Square> room;
    } cases[] = {
        {"Up beats Down, Left beats Right", centre, all, {99, 99}, {square}},
        {"Up and Left blocked", centre, all, {101, 101}, {{100, 100, 101, 101, floor}}},
        {"Left from the row Up reached", centre, upLeft, {99, 99}, {up, {99, 99, 99, 99, floor}}},
        {"open on the old row only", centre, upLeft, {100, 99}, {up, {99, 100, 99, 100, floor}}},
        {"the top-left edge", {0, 0}, upLeft, {0, 0}, {open}},
        {"the bottom-right edge", corner, downRight, corner, {open}},
        {"onto the exit, not the wall", centre, downRight, {101, 100}, {open, exit, wall}},
        {"no arrow, no move", centre, {KEY_ESC, KEY_SPACE}, centre, {square}},
    };
    for (const auto& c : cases) {
        Bitmap room = wallBitmap(c.room);
        HeldKeys held(c.keys);
        auto [x, y] = c.from;
        movePlayer(room.get(), x, y);
        EXPECT_EQ(Point(x, y), c.to) << c.what;
    }
    EXPECT_TRUE(onExit(wallBitmap({exit}).get(), 101, 100));
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
    // A monster right on the player at (100, 100), then one under the label; another apart.
    for (const int first : {101, 5}) {
        std::vector<monster> monsters(2);
        monsters[0].x = monsters[0].y = static_cast<float>(first);
        monsters[1].x = monsters[1].y = 40.f;
        renderScreen(room.get(), buffer.get(), 100, 100, 7, monsters);
        const Bitmap expected = handFrame({}, 100, 100, {{first, first}, {40, 40}}, 7);
        EXPECT_TRUE(samePixels(buffer.get(), expected.get())) << "a monster at " << first;
    }
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
    Bitmap expected = wallBitmap({{0, 0, SCREEN_W, SCREEN_H, red}});
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
