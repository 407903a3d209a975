// Every random choice of the game, in its exact order: this test program
// replaces the C library's rand with a script of chosen draws, so that a
// room and a monster's moves can be worked out by hand.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "game.h"
#include "room.h"
#include "support.h"

namespace {
std::deque<int> script;
int extraDraws = 0;  // draws made after the script ran out; those give 0
}  // namespace

extern "C" int rand() {
    if (script.empty()) {
        // A draw out of order can leave a search looping on zeros: stop it.
        if (++extraDraws > 100000) {
            fprintf(stderr, "the game keeps drawing past the script\n");
            abort();
        }
        return 0;
    }
    const int value = script.front();
    script.pop_front();
    return value;
}

namespace {

void draws(std::initializer_list<int> values) {
    script.insert(script.end(), values);
}

class DrawOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        script.clear();
        extraDraws = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(script.empty()) << script.size() << " scripted draws were not made";
    }
};

TEST_F(DrawOrder, RoomFollowsItsDrawsPixelForPixel) {
    draws({0, 5, 49});  // 20 squares in all, first half-size 15, reach 99
    // From the centre (320, 240): +0, +98 with signs even; half-size 5 fits at (320, 338).
    draws({0, 98, 0, 0, 5});
    // +0, +98 again: (320, 436) fits neither half-size 90 nor 80; the third draw (7) is
    // thrown away and the walker goes back to the centre.
    draws({0, 98, 0, 0, 90, 80, 7});
    // -98, -98 (odd signs) from the centre: half-size 60 fits at (222, 142).
    draws({98, 98, 1, 3, 60});
    // 16 more steps that stay put and paint one pixel inside the last square.
    for (int step = 0; step < 16; ++step) {
        draws({0, 0, 0, 0, 0});
    }
    // The exit: (5, 5) is wall, (320, 436) is wall too, (400, 300) is floor.
    draws({5, 5, 320, 436, 400, 300});

    Bitmap room = wallBitmap();
    clear_to_color(room.get(), floorColour());  // makeRoom must paint its own wall
    makeRoom(room.get());
    EXPECT_EQ(extraDraws, 0);

    Bitmap expected = wallBitmap();
    rectfill(expected.get(), 320 - 114, 240 - 114, 320 + 114, 240 + 114, floorColour());
    rectfill(expected.get(), 315, 333, 325, 343, floorColour());
    rectfill(expected.get(), 162, 82, 282, 202, floorColour());
    rectfill(expected.get(), 394, 294, 406, 306, exitColour());
    EXPECT_TRUE(samePixels(room.get(), expected.get()));
}

TEST_F(DrawOrder, SquaresMayTouchTheFarEdgesButNotCross) {
    draws({0, 0, 49});  // 20 squares, first half-size 10, reach 99
    // (320+98, 240+98) = (418, 338): half-size 98 ends on row 436; fits.
    draws({98, 98, 0, 0, 98});
    // (418+98, 338+98) = (516, 436): half-size 44 reaches row 480, one past the last: fits.
    draws({98, 98, 0, 0, 44});
    // (516, 436+44) = (516, 480): half-size 1 would cross the bottom twice; the step fails.
    draws({0, 44, 0, 0, 1, 1, 1});
    for (int step = 0; step < 16; ++step) {
        draws({0, 0, 0, 0, 0});
    }
    draws({320, 240});

    Bitmap room = wallBitmap();
    makeRoom(room.get());
    Bitmap expected = wallBitmap();
    rectfill(expected.get(), 320 - 109, 240 - 109, 320 + 109, 240 + 109, floorColour());
    rectfill(expected.get(), 418 - 98, 338 - 98, 418 + 98, 338 + 98, floorColour());
    rectfill(expected.get(), 516 - 44, 436 - 44, 516 + 44, 436 + 44, floorColour());
    rectfill(expected.get(), 314, 234, 326, 246, exitColour());
    EXPECT_TRUE(samePixels(room.get(), expected.get()));
}

TEST_F(DrawOrder, MonsterStartsAtItsDrawsColumnFirst) {
    draws({100, 200, 630 + 629, 470 + 469});  // drawn modulo W - 10 and H - 10
    monster first;
    monster second;
    EXPECT_EQ(first.x, 100.f);
    EXPECT_EQ(first.y, 200.f);
    EXPECT_EQ(second.x, 629.f);
    EXPECT_EQ(second.y, 469.f);
}

TEST_F(DrawOrder, MonsterStepsUpToNinePixelsAndRedrawsWhenLeaving) {
    draws({0, 0});
    monster m;
    draws({250, 1999, 1, 0});  // 2 left, 9 down: off the left edge, drawn again
    draws({1300, 900, 2, 5});  // 3 right, 9 up: off the top, drawn again
    draws({999, 1099, 4, 4});  // 9 right, 0 down
    m.logic(300, 300);
    EXPECT_EQ(m.x, 9.f);
    EXPECT_EQ(m.y, 0.f);

    m.x = static_cast<float>(SCREEN_W - 2);
    m.y = static_cast<float>(SCREEN_H);
    draws({300, 0, 0, 0});  // 3 right would pass W
    draws({200, 0, 0, 0});  // 2 right lands on W itself, which is allowed
    m.logic(0, 0);
    EXPECT_EQ(m.x, static_cast<float>(SCREEN_W));
    EXPECT_EQ(m.y, static_cast<float>(SCREEN_H));
}

TEST_F(DrawOrder, CatchBoxIsNineByNineAroundTheMonster) {
    monster m;
    const struct {
        int px, py;
        bool caught;
    } cases[] = {{104, 104, true}, {96, 96, true},    {100, 100, true}, {105, 100, false},
                 {95, 100, false}, {100, 105, false}, {100, 95, false}, {104, 96, true}};
    for (const auto& c : cases) {
        m.x = 100.f, m.y = 100.f;
        draws({0, 0, 0, 0});
        EXPECT_EQ(m.logic(c.px, c.py), c.caught) << c.px << "," << c.py;
    }
}

TEST_F(DrawOrder, CatchStillLetsTheLaterMonstersMove) {
    Bitmap room = wallBitmap();
    draws({0, 0, 0, 0, 0, 0});
    std::vector<monster> monsters(3);
    monsters[0].x = 50.f, monsters[0].y = 50.f;
    monsters[1].x = 100.f, monsters[1].y = 100.f;  // on the player
    monsters[2].x = 300.f, monsters[2].y = 300.f;
    int x = 100, y = 100;
    draws({100, 100, 0, 0, 0, 0, 0, 0, 500, 700, 1, 0});
    EXPECT_TRUE(tick(room.get(), x, y, monsters));
    EXPECT_EQ(monsters[0].x, 51.f);
    EXPECT_EQ(monsters[2].x, 295.f);
    EXPECT_EQ(monsters[2].y, 307.f);
}

TEST_F(DrawOrder, NewLevelPlacesThePlayerBeforeItsMonsters) {
    draws({0, 0, 0});  // a room of 20 squares: the first of half-size 60 at the centre,
    for (int step = 0; step < 19; ++step) {
        draws({0, 0, 0, 0, 0});  // then single pixels inside it
    }
    draws({320, 240});                // its exit over the centre
    draws({0, 0, 300, 200});          // the player: (0, 0) is wall, (300, 200) floor
    draws({10, 20, 30, 40, 50, 60});  // three monsters
    Bitmap room = wallBitmap();
    int x = 0, y = 0, level = 2;
    std::vector<monster> monsters;
    changeLevel(room.get(), x, y, level, monsters);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    ASSERT_EQ(monsters.size(), 3u);
    EXPECT_EQ(monsters[2].x, 50.f);
    EXPECT_EQ(monsters[2].y, 60.f);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWindow);
    return RUN_ALL_TESTS();
}
