// Every random choice of the game, in its exact order: this test program
// replaces the C library's rand with a script of chosen draws, so that a
// room and a monster's moves can be worked out by hand; and it sees each
// frame the game copies to the screen.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <utility>
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

// Every draw is scripted above the modulus it meets, so that another range would show.
// One step of the walk of the given reach: the displacement, then the half-sizes drawn.
void walk(int reach, int dx, int dy, std::initializer_list<int> halves) {
    draws({2 * reach + abs(dx), 2 * reach + abs(dy), dx < 0 ? 3 : 4, dy < 0 ? 3 : 4});
    for (int half : halves) {
        draws({2 * reach + half});
    }
}

class DrawOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        script.clear();
        extraDraws = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(script.empty()) << script.size() << " scripted draws were not made";
        EXPECT_EQ(extraDraws, 0) << "draws past the script";
        EXPECT_TRUE(frames.empty()) << frames.size() << " frames were not shown";
    }
};

TEST_F(DrawOrder, RoomFollowsItsDrawsPixelForPixel) {
    const int R = 99;
    draws({200, 25, R});  // past their ranges: 20 squares in all, first half-size 15, reach 99
    // From the centre (320, 240): +0, +98; half-size 5 fits at (320, 338).
    walk(R, 0, 98, {5});
    // +0, +98 again: (320, 436) fits neither half-size 90 nor 80; the third draw is
    // thrown away and the walker goes back to the centre.
    walk(R, 0, 98, {90, 80, 7});
    // -98, -98 from the centre: half-size 60 fits at (222, 142).
    walk(R, -98, -98, {60});
    // 16 more steps that stay put and paint one pixel inside the last square.
    for (int step = 0; step < 16; ++step) {
        walk(R, 0, 0, {0});
    }
    // The exit: (5, 5) is wall, (320, 436) is wall too, (400, 300) is floor.
    draws({630 + 5, 470 + 5, 630 + 320, 470 + 436, 630 + 400, 470 + 300});

    Bitmap room = wallBitmap();
    clear_to_color(room.get(), floorColour());  // makeRoom must paint its own wall
    makeRoom(room.get());

    const int floor = floorColour();
    const Bitmap expected = wallBitmap({{320 - 114, 240 - 114, 320 + 114, 240 + 114, floor},
                                        {315, 333, 325, 343, floor},
                                        {162, 82, 282, 202, floor},
                                        {394, 294, 406, 306, exitColour()}});
    EXPECT_TRUE(samePixels(room.get(), expected.get()));
}

TEST_F(DrawOrder, SquaresMayTouchTheEdgesButNotCross) {
    const int R = 99;
    draws({200, 40, R});  // 20 squares, first half-size 10, reach 99
    // (320+98, 240+98) = (418, 338): half-size 98 ends on row 436; fits.
    walk(R, 98, 98, {98});
    // (418+98, 338+98) = (516, 436): half-size 44 reaches row 480, one past the last: fits.
    walk(R, 98, 98, {44});
    // (516, 436+44) = (516, 480): half-size 1 would cross the bottom twice; the step fails.
    walk(R, 0, 44, {1, 1, 1});
    // 98 left three times, with half-sizes 0, 0 and 26: the last square touches column 0.
    walk(R, -98, 0, {0});
    walk(R, -98, 0, {0});
    walk(R, -98, 0, {26});
    for (int step = 0; step < 13; ++step) {
        walk(R, 0, 0, {0});
    }
    draws({630 + 320, 470 + 240});

    Bitmap room = wallBitmap();
    makeRoom(room.get());
    const int floor = floorColour();
    const Bitmap expected = wallBitmap({{320 - 109, 240 - 109, 320 + 109, 240 + 109, floor},
                                        {418 - 98, 338 - 98, 418 + 98, 338 + 98, floor},
                                        {516 - 44, 436 - 44, 516 + 44, 436 + 44, floor},
                                        {124, 240, 124, 240, floor},
                                        {0, 240 - 26, 52, 240 + 26, floor},
                                        {314, 234, 326, 246, exitColour()}});
    EXPECT_TRUE(samePixels(room.get(), expected.get()));
}

TEST_F(DrawOrder, MonsterStartsAtItsDrawsAndStepsUpToNinePixelsRedrawingWhenLeaving) {
    draws({630 + 629, 470 + 469});  // column first, modulo W - 10 and H - 10
    monster m;
    EXPECT_EQ(m.x, 629.f);
    EXPECT_EQ(m.y, 469.f);
    m.x = m.y = 0.f;
    draws({1250, 1999, 3, 4});  // 2 left, 9 down: off the left edge, drawn again
    draws({1300, 1900, 4, 5});  // 3 right, 9 up: off the top, drawn again
    draws({1999, 1199, 4, 4});  // 9 right, 1 down
    m.logic(300, 300);
    EXPECT_EQ(m.x, 9.f);
    EXPECT_EQ(m.y, 1.f);

    m.x = static_cast<float>(SCREEN_W - 2);
    m.y = static_cast<float>(SCREEN_H);
    draws({1300, 2000, 4, 4});  // 3 right would pass W
    draws({1200, 2000, 4, 4});  // 2 right lands on W itself, which is allowed
    m.logic(0, 0);
    EXPECT_EQ(m.x, static_cast<float>(SCREEN_W));
    EXPECT_EQ(m.y, static_cast<float>(SCREEN_H));
}

TEST_F(DrawOrder, CatchBoxIsNineByNineAroundTheMonster) {
    draws({0, 0});
    monster m;
    const struct {
        int px, py;
        bool caught;
    } cases[] = {{104, 204, true}, {96, 196, true},   {100, 200, true},  {105, 200, false},
                 {95, 200, false}, {100, 205, false}, {100, 195, false}, {104, 196, true}};
    for (const auto& c : cases) {
        m.x = 100.f, m.y = 200.f;
        draws({2000, 2000, 4, 4});
        EXPECT_EQ(m.logic(c.px, c.py), c.caught) << c.px << "," << c.py;
    }
}

// A room of 20 squares: the first of half-size 60 at the centre (260..380 by
// 180..300), then single pixels inside it; its exit at (ex, ey).
void plainRoom(int ex, int ey) {
    draws({200, 40, 100});
    for (int step = 0; step < 19; ++step) {
        walk(50, 0, 0, {0});
    }
    draws({630 + ex, 470 + ey});
}

// The next frame the game must show, worked out by hand in that room: the player at
// (x, y), the monsters, the label; then `then` acts as the clock or the player.
void nextFrame(int ex, int ey, int x, int y, const std::vector<std::pair<int, int>>& monsters,
               int level, const std::function<void()>& then) {
    const std::vector<Square> room = {{260, 180, 380, 300, makecol(10, 10, 10)},
                                      {ex - 6, ey - 6, ex + 6, ey + 6, makecol(255, 255, 255)}};
    frames.push_back([=, number = frames.size() + 1](BITMAP* frame) {
        const Bitmap expected = handFrame(room, x, y, monsters, level);
        EXPECT_TRUE(samePixels(frame, expected.get())) << "frame " << number;
        then();
    });
}

// Two games, pass by pass: every tick due is taken before a frame, the exit test follows
// the frame, a new level places the player before its monsters, the player moves before
// the monsters step, a catch ends the game at once, its backlog of ticks left untaken,
// and the next one starts afresh at level 1 with no monsters, taking its backlog first.
TEST_F(DrawOrder, PlayTakesDueTicksBeforeEachFrameAndStartsEachGameAfresh) {
    const int before = shell.gamesEnded;
    shell.releaseSpaceAfter = shell.pressEscapeAfter = before + 2;
    HeldKeys held({KEY_LEFT, KEY_SPACE});  // Space answers the first prompt
    plainRoom(311, 240);                   // the exit reaches from 305 to 317 on the player's row
    speed = 3;
    nextFrame(311, 240, 317, 240, {}, 1, [] {});
    // Level 2: the player drawn on wall, on the exit, then on floor; a monster 5 to the
    // left of the player, who steps left into its reach before it steps, and one far away.
    plainRoom(340, 200);
    draws({635 + 1, 475 + 1, 635 + 340, 475 + 200, 635 + 300, 475 + 250});
    draws({630 + 295, 470 + 250, 630 + 100, 470 + 100});
    nextFrame(340, 200, 300, 250, {{295, 250}, {100, 100}}, 2, [] {
        speed = 3;  // the first of these ticks ends the game; no other is taken
    });
    draws({2000, 2000, 4, 4, 1500, 2000, 3, 4});  // caught at 299; the other moves 5 left
    nextFrame(340, 200, 299, 250, {{295, 250}, {95, 100}}, 2, [] {
        speed = 2;  // ticks that fall due at the prompt
    });
    plainRoom(300, 200);
    nextFrame(300, 200, 318, 240, {}, 1, [] { key[KEY_ESC] = 1; });
    play();
    EXPECT_EQ(shell.gamesEnded, before + 2);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWindow);
    return RUN_ALL_TESTS();
}
