// Every random choice of the game, in its exact order: this test program
// replaces the C library's rand with a script of chosen draws, so that a
// room and a monster's moves can be worked out by hand; and it sees each
// frame the game copies to the screen.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <vector>

#include "game.h"
#include "room.h"
#include "support.h"
#include "ticks.h"

namespace {
std::deque<int> script;
int extraDraws = 0;  // draws made after the script ran out; those give 0
// What to check, and do as the clock or the player, at each frame the game shows.
std::deque<std::function<void(BITMAP*)>> frames;
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

extern "C" void blit(BITMAP* source, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h) {
    using Blit = void (*)(BITMAP*, BITMAP*, int, int, int, int, int, int);
    static const auto library = reinterpret_cast<Blit>(dlsym(RTLD_NEXT, "blit"));
    if (dest == screen) {
        if (frames.empty()) {
            fprintf(stderr, "the game shows a frame more than expected\n");
            abort();
        }
        const auto atFrame = frames.front();
        frames.pop_front();
        atFrame(source);
    }
    library(source, dest, sx, sy, dx, dy, w, h);
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
    draws({100, 25, 99});  // past their ranges: 20 squares in all, first half-size 15, reach 99
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
    // The exit: (5, 5) is wall, (320, 436) is wall too, (400, 300) is floor, drawn past the range.
    draws({5, 5, 320, 436, 400 + 630, 300 + 470});

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

TEST_F(DrawOrder, SquaresMayTouchTheEdgesButNotCross) {
    draws({0, 0, 49});  // 20 squares, first half-size 10, reach 99
    // (320+98, 240+98) = (418, 338): half-size 98 ends on row 436; fits.
    draws({98, 98, 0, 0, 98});
    // (418+98, 338+98) = (516, 436): half-size 44 reaches row 480, one past the last: fits.
    draws({98, 98, 0, 0, 44});
    // (516, 436+44) = (516, 480): half-size 1 would cross the bottom twice; the step fails.
    draws({0, 44, 0, 0, 1, 1, 1});
    // 98 left three times, with half-sizes 0, 0 and 26: the last square touches column 0.
    draws({98, 0, 1, 0, 0, 98, 0, 1, 0, 0, 98, 0, 1, 0, 26});
    for (int step = 0; step < 13; ++step) {
        draws({0, 0, 0, 0, 0});
    }
    draws({320, 240});

    Bitmap room = wallBitmap();
    makeRoom(room.get());
    Bitmap expected = wallBitmap();
    rectfill(expected.get(), 320 - 109, 240 - 109, 320 + 109, 240 + 109, floorColour());
    rectfill(expected.get(), 418 - 98, 338 - 98, 418 + 98, 338 + 98, floorColour());
    rectfill(expected.get(), 516 - 44, 436 - 44, 516 + 44, 436 + 44, floorColour());
    putpixel(expected.get(), 124, 240, floorColour());
    rectfill(expected.get(), 0, 240 - 26, 52, 240 + 26, floorColour());
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
    } cases[] = {{104, 204, true}, {96, 196, true},   {100, 200, true},  {105, 200, false},
                 {95, 200, false}, {100, 205, false}, {100, 195, false}, {104, 196, true}};
    for (const auto& c : cases) {
        m.x = 100.f, m.y = 200.f;
        draws({0, 0, 0, 0});
        EXPECT_EQ(m.logic(c.px, c.py), c.caught) << c.px << "," << c.py;
    }
}

// A room of 20 squares: the first of half-size 60 at the centre (260..380 by
// 180..300), then single pixels inside it; its exit at (ex, ey).
void plainRoom(int ex, int ey) {
    draws({0, 0, 0});
    for (int step = 0; step < 19; ++step) {
        draws({0, 0, 0, 0, 0});
    }
    draws({ex, ey});
}

// The player's disc, of radius 4 around (x - 1, y - 1), along its middle row.
void expectPlayerAt(BITMAP* frame, int x, int y) {
    const int grey = makecol(55, 55, 55);
    EXPECT_NE(getpixel(frame, x - 6, y - 1), grey) << x << "," << y;
    EXPECT_EQ(getpixel(frame, x - 5, y - 1), grey) << x << "," << y;
    EXPECT_EQ(getpixel(frame, x + 3, y - 1), grey) << x << "," << y;
    EXPECT_NE(getpixel(frame, x + 4, y - 1), grey) << x << "," << y;
}

// Two games, pass by pass: every tick due is taken before a frame, the exit test follows
// the frame, a new level places the player before its monsters, a catch ends the game,
// and the next game starts at the centre with no monsters, taking its backlog first.
TEST_F(DrawOrder, PlayTakesDueTicksBeforeEachFrameAndStartsEachGameAfresh) {
    const int before = shell.gamesEnded;
    shell.releaseSpaceAfter = shell.pressEscapeAfter = before + 2;
    HeldKeys held({KEY_LEFT, KEY_SPACE});  // Space answers the first prompt
    plainRoom(311, 240);                   // the exit reaches from 305 to 317 on the player's row
    speed = 3;
    frames.push_back([](BITMAP* frame) { expectPlayerAt(frame, 317, 240); });
    // Level 2: the player drawn on wall, on the exit, then on floor past the ranges;
    // a monster 4 above where the player will be, and one far away.
    plainRoom(340, 200);
    draws({0, 0, 340, 200, 635 + 300, 475 + 250, 299, 246, 100, 100});
    frames.push_back([](BITMAP* frame) {
        expectPlayerAt(frame, 300, 250);
        speed = 1;
    });
    draws({0, 0, 0, 0, 500, 0, 1, 0});  // the player steps to 299: caught; the other monster moves
    frames.push_back([](BITMAP* frame) {
        expectPlayerAt(frame, 299, 250);
        EXPECT_EQ(getpixel(frame, 90, 99), makecol(64, 64, 64));  // the far monster's disc
        speed = 2;  // ticks that fall due at the prompt
    });
    plainRoom(300, 200);
    frames.push_back([](BITMAP* frame) {
        expectPlayerAt(frame, 318, 240);
        key[KEY_ESC] = 1;
    });
    play();
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(extraDraws, 0);
    EXPECT_EQ(shell.gamesEnded, before + 2);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWindow);
    return RUN_ALL_TESTS();
}
