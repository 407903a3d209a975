// The real game against what a player's machine can throw at it: other colour
// depths, a thousand games in a row, a storm of keys, signals, and valgrind.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "window.h"

namespace {

// Waits until the game has ended `games` games; false after `seconds`.
bool waitForGames(const Game& game, long games, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        if (game.gamesEnded() >= games) {
            return true;
        }
        pause(0.05);
    }
    return false;
}

// The most resident memory seen while the game ends three more games, a look every
// 10 ms: a look at one moment may fall between a game's bitmaps or on them, and on
// a busy machine 0.2 s may pass without a game.
long peakResidentKiB(const Game& game) {
    const long until = game.gamesEnded() + 3;
    long peak = 0;
    for (int look = 0; look < 20 || (game.gamesEnded() < until && look < 6000); ++look) {
        peak = std::max(peak, game.residentKiB());
        pause(0.01);
    }
    return peak;
}

TEST(Depth, FirstFrameKeepsWallFloorExitAndPlayerApart) {
    const Picture expected = firstRoomFrame();
    Game game;
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    const Picture frame = game.grab();
    ASSERT_EQ(frame.rgb.size(), expected.rgb.size());

    // Each kind of pixel the game drew shows in one colour, and no two kinds share one.
    std::map<uint32_t, std::set<uint32_t>> shown;
    for (size_t i = 0; i < frame.rgb.size(); ++i) {
        shown[expected.rgb[i]].insert(frame.rgb[i]);
    }
    EXPECT_EQ(shown.size(), 4u);  // wall, floor, exit and label, player
    std::set<uint32_t> colours;
    for (const auto& [kind, seen] : shown) {
        EXPECT_EQ(seen.size(), 1u) << std::hex << "kind " << kind;
        colours.insert(*seen.begin());
    }
    EXPECT_EQ(colours.size(), shown.size());

    const uint32_t wall = *shown[expected.at(0, 470)].begin();  // the bottom-left corner is wall
    const int red = wall >> 16, green = (wall >> 8) & 0xff, blue = wall & 0xff;
    EXPECT_FALSE(red > 200 && green < 60 && blue > 200) << std::hex << "walls show " << wall;

    EXPECT_EQ(game.quit(), 0) << game.errors();
}

TEST(Endurance, AThousandGamesInARowKeepMemoryFlat) {
    Game game;
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    game.keyDown("space");
    game.keyDown("Escape");  // every game ends as it begins, and the next one starts
    ASSERT_TRUE(waitForGames(game, 100, 60));
    const long after100 = peakResidentKiB(game);
    ASSERT_TRUE(waitForGames(game, 1000, 300));
    const long after1000 = peakResidentKiB(game);
    RecordProperty("resident_kib_after_100_games", std::to_string(after100));
    RecordProperty("resident_kib_after_1000_games", std::to_string(after1000));
    printf("resident memory: %ld KiB after 100 games, %ld KiB after %ld\n", after100, after1000,
           game.gamesEnded());
    // A game holds two screen bitmaps for a moment, 1.2 MB each at 32 bits: a leak of
    // even a kilobyte a game would pass this margin over 900 games.
    EXPECT_LE(after1000, after100 + 1024);

    game.keyUp("Escape");  // Space alone: the last game plays
    pause(0.3);
    EXPECT_EQ(game.wait(0), -1);
    game.keyUp("space");
    EXPECT_EQ(game.quit(), 0) << game.errors();
}

// Random presses and releases of the game's keys and others, several at once.
// Escape comes only while Space is held, so each game it ends is followed by another.
TEST(Endurance, KeyStormNeitherCrashesNorHangs) {
    const char* setting = getenv("CAVEDOT_STORM_SECONDS");
    const double seconds = setting ? atof(setting) : 60;
    const char* keys[] = {"Left",    "Right",     "Up",        "Down", "space",
                          "Return",  "a",         "z",         "Tab",  "F1",
                          "Shift_L", "Control_L", "BackSpace", "Home", "KP_5"};
    std::mt19937 random(20261207);
    Game game;
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::string burst;  // about a second of key events in one xdotool call
        for (int event = 0; event < 40; ++event) {
            const char* key = keys[random() % std::size(keys)];
            burst += std::string(random() % 2 ? " keydown " : " keyup ") + key;
            if (random() % 10 == 0) {
                burst += " keydown space keydown Escape sleep 0.01 keyup Escape";
            }
            burst += " sleep 0.0" + std::to_string(random() % 5);
        }
        run("xdotool" + burst);
        ASSERT_EQ(game.wait(0), -1) << "the game ended during the storm: " << game.errors();
    }
    std::string release;
    for (const char* key : keys) {
        release += std::string(" keyup ") + key;
    }
    run("xdotool" + release);
    pause(0.2);
    // Escape alone still ends it, from play or from the prompt.
    EXPECT_EQ(game.quit(60), 0) << game.errors();
}

// The signal ends the game at once, in the middle of drawing; the X server frees
// its window, and the next game starts and plays as usual.
TEST(Endurance, SigintSigtermAndSigquitEndTheGameAndLeaveNoWindow) {
    for (int round = 0; round < 5; ++round) {
        for (int number : {SIGINT, SIGTERM, SIGQUIT}) {
            Game game;
            ASSERT_TRUE(game.hasWindow()) << game.errors();
            game.keyDown("Left");
            pause(0.1);
            game.signal(number);
            EXPECT_EQ(game.wait(5), 128 + number) << game.errors();
            game.keyUp("Left");
            pause(0.1);
            EXPECT_EQ(run("xdotool search --name '^cavedot$'"), "");
        }
    }
}

TEST(Memcheck, ScriptedSessionOfSeveralGamesLosesNothing) {
    Game::Options options;
    std::istringstream memcheck(MEMCHECK);  // valgrind and its options, as CMake lists them
    options.wrapper = {std::istream_iterator<std::string>(memcheck), {}};
    options.wrapper.push_back("--suppressions=" VALGRIND_SUPPRESSIONS);
    Game game(options);
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    game.keyDown("Left");
    pause(0.5);
    game.keyUp("Left");
    game.keyDown("space");
    game.keyDown("Escape");
    EXPECT_TRUE(waitForGames(game, 4, 60));
    game.keyUp("Escape");
    pause(0.5);
    game.keyUp("space");
    EXPECT_EQ(game.quit(120), 0) << game.errors();
}

}  // namespace
