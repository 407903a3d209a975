// The real program in a real window under a private X server, driven by key presses.
#include <gtest/gtest.h>

#include "window.h"

namespace {

const uint32_t playerColour = rgb(55, 55, 55);
const uint32_t white = rgb(255, 255, 255);
const uint32_t black = rgb(0, 0, 0);

// The average column of the player's disc.
double discColumn(const Picture& picture) {
    long sum = 0, n = 0;
    for (int y = 0; y < picture.h; ++y) {
        for (int x = 0; x < picture.w; ++x) {
            if (picture.at(x, y) == playerColour) {
                sum += x, ++n;
            }
        }
    }
    return n ? static_cast<double>(sum) / n : -1;
}

// "Level: 1" as the hand-worked first frame has it: its white pixels at the top left.
bool showsLabel(const Picture& picture) {
    static const Picture first = firstRoomFrame();
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 70; ++x) {
            if (first.at(x, y) == white && picture.at(x, y) != white) {
                return false;
            }
        }
    }
    return true;
}

// A text line of the prompt: its 8-pixel-high box is black and white only.
bool showsPromptLine(const Picture& picture, int x, int y, int chars) {
    const int right = x + 8 * chars - 1, bottom = y + 7;
    const int black_ = picture.count(black, x, y, right, bottom);
    const int white_ = picture.count(white, x, y, right, bottom);
    return black_ > 0 && white_ > 0 && black_ + white_ == 8 * 8 * chars;
}

// The disc starts at column 319, as the hand-worked frame has it.
TEST(Window, FirstFrameIsTheHandWorkedRoomThenAHeldArrowMovesTheDisc) {
    Game game;
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    const Picture frame = game.grab();
    const Picture expected = firstRoomFrame();
    ASSERT_EQ(frame.w * frame.h, 640 * 480) << game.errors();
    int differing = 0;
    for (size_t i = 0; i < frame.rgb.size(); ++i) {
        differing += frame.rgb[i] != expected.rgb[i];
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(game.tickPeriod(), 8522) << "140 ticks a second: 1193181 / 140";
    EXPECT_NE(run("xdotool search --class '^cavedot$'"), "") << "the desktop entry's window class";

    game.keyDown("Left");
    pause(0.25);  // about 35 ticks, well inside the first block
    game.keyUp("Left");
    pause(0.05);
    const Picture moved = game.grab();
    EXPECT_LT(discColumn(moved), 319 - 10);
    EXPECT_TRUE(showsLabel(moved));
    EXPECT_EQ(game.quit(), 0) << game.errors();
}

TEST(Window, PromptOverTheLastFrameThenSpaceStartsANewGame) {
    Game game;
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    game.keyDown("space");
    game.keyDown("Escape");  // games end as soon as they begin while both are held
    pause(0.3);
    const Picture prompt = game.grab();
    EXPECT_TRUE(showsPromptLine(prompt, 310, 230, 10));  // "GAME OVER!"
    EXPECT_TRUE(showsPromptLine(prompt, 310, 240, 20));  // "Press Escape to quit"
    EXPECT_TRUE(showsPromptLine(prompt, 310, 250, 21));  // "Or Space for new game"
    EXPECT_TRUE(showsLabel(prompt));                     // the last frame around them
    EXPECT_EQ(game.wait(0), -1);

    game.keyUp("Escape");  // Space alone: the new game plays, and goes on without it
    pause(0.3);
    game.keyUp("space");
    const Picture fresh = game.grab();
    EXPECT_FALSE(showsPromptLine(fresh, 310, 230, 10));
    EXPECT_TRUE(showsLabel(fresh));
    EXPECT_EQ(game.wait(0), -1);

    EXPECT_EQ(game.quit(), 0) << game.errors();
}

TEST(Window, WithoutADisplayItSaysSoAndEndsWith255) {
    Game::Options options;
    options.display = false;
    Game game(options);
    EXPECT_EQ(game.wait(10), 255);
    EXPECT_NE(game.errors().find("DISPLAY"), std::string::npos) << game.errors();
}

// Refused, either would leave a window that stands still or cannot be left; without
// its bitmaps no game can begin. The window is open, so the library's box (xmessage)
// says why, as standard error does; the game ends when the box's OK is pressed.
TEST(Window, ARefusedTimerKeyboardOrBitmapIsNamedInABoxAndEndsWith255) {
    const std::pair<const char*, const char*> cases[] = {
        {"install_timer", "cavedot: cannot start the timer"},
        {"install_keyboard", "cavedot: cannot start the keyboard"},
        {"create_bitmap", "cavedot: out of memory: cannot create a 640x480 bitmap"}};
    for (const auto& [call, message] : cases) {
        Game::Options options;
        options.refuse = call;
        Game game(options);
        const std::string box =
            run("timeout 10 xdotool search --sync --onlyvisible --name '^xmessage$' | head -n 1 | "
                "tr -d '\\n'");
        ASSERT_NE(box, "") << call << ": no box; " << game.errors();
        EXPECT_NE(run("xprop -id " + box + " WM_COMMAND").find(std::string(message) + "\\n\""),
                  std::string::npos)
            << call;  // the box's text, the last of its command line
        run("xdotool mousemove --window " + box + " 5 5 key Return");
        EXPECT_EQ(game.wait(10), 255) << call;
        EXPECT_EQ(game.errors(), std::string(message) + "\n") << call;
    }
}

}  // namespace
