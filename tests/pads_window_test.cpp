// The real game played by pads: the library's own joystick driver reads devices that the test
// scripts (pads_preload.cpp), beside the keyboard of the test's X server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/joystick.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "window.h"

namespace {

using Steps = std::vector<Game::Step>;
constexpr int full = 32767;
// As the xpad driver names an Xbox pad's axes: ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ,
// ABS_HAT0X, ABS_HAT0Y; and buttons: BTN_SOUTH (A), BTN_EAST (B), BTN_NORTH, BTN_WEST, BTN_TL,
// BTN_TR, BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR.
const char* xbox = "0 1 2 3 4 5 16 17\n304 305 307 308 310 311 314 315 316 317 318\n";
// A flight stick's: ABS_X, ABS_Y, ABS_THROTTLE, ABS_HAT0X, ABS_HAT0Y; BTN_TRIGGER, BTN_THUMB.
const char* flightStick = "0 1 6 16 17\n288 289\n";

// A pad as Linux's joystick device: a named pipe that the game reads, its axes first at `rest`.
class Pad {
  public:
    Pad(const std::string& folder, int number, const char* layout, const std::vector<int>& rest)
        : path_(folder + "/js" + std::to_string(number)) {
        std::ofstream(path_ + ".layout") << layout;
        mkfifo(path_.c_str(), 0600);
        fd_ = open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);  // opens with no reader yet
        for (size_t i = 0; i < rest.size(); ++i) {
            send(JS_EVENT_AXIS | JS_EVENT_INIT, static_cast<int>(i), rest[i]);
        }
    }
    ~Pad() {
        unplug();
        unlink(path_.c_str());
        unlink((path_ + ".layout").c_str());
    }
    void axis(int number, int value) const { send(JS_EVENT_AXIS, number, value); }
    void button(int number, int value) const { send(JS_EVENT_BUTTON, number, value); }
    void unplug() {
        close(fd_);
        fd_ = -1;
    }

  private:
    void send(int type, int number, int value) const {
        const js_event event{0, static_cast<int16_t>(value), static_cast<uint8_t>(type),
                             static_cast<uint8_t>(number)};
        ASSERT_EQ(write(fd_, &event, sizeof event), static_cast<ssize_t>(sizeof event));
    }
    std::string path_;
    int fd_;
};

struct Folder {
    std::string path = [] {
        char name[] = "/tmp/cavedot-pads-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    ~Folder() {
        unlink((path + "/read").c_str());
        rmdir(path.c_str());
    }
};

// The game with the pads of `folder`, in a room of more floor than window.cpp's first: the
// first square's reach drawn 99, not 50, so half-size 128; then the same square at (369, 289).
Game::Options padGame(const std::string& folder) {
    Game::Options options;
    options.pads = folder;
    options.draws = "0,19,49, 49,49,0,0,40";
    for (int step = 0; step < 18; ++step) {
        options.draws += ", 0,0,0,0,0";
    }
    options.draws += ", 440,360";  // the exit far off
    return options;
}

bool floor(int x, int y) {
    const auto in = [x, y](int cx, int cy, int half) {
        return abs(x - cx) <= half && abs(y - cy) <= half;
    };
    return in(320, 240, 128) || in(369, 289, 40);
}

// Waits up to a minute for frames that `done` holds for; once a check has failed, no longer.
Steps waitFor(const Game& game, const std::string& what,
              const std::function<bool(const Steps&)>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Steps steps = game.steps();
    while (!::testing::Test::HasFailure() && (steps.empty() || !done(steps)) &&
           std::chrono::steady_clock::now() < end) {
        pause(0.01);
        steps = game.steps();
    }
    EXPECT_TRUE(::testing::Test::HasFailure() || (!steps.empty() && done(steps)))
        << "waited for " << what << "; the player last at "
        << (steps.empty() ? "nothing drawn"
                          : std::to_string(steps.back().x) + ", " + std::to_string(steps.back().y));
    return steps;
}

Game::Step latest(const Game& game) {
    const Steps steps = waitFor(game, "a frame", [](const Steps&) { return true; });
    return steps.empty() ? Game::Step{} : steps.back();
}

// The player stands still from the first frame after `tick` on, for 70 ticks.
void expectStillAfter(const Game& game, long tick, const std::string& what) {
    const Steps steps = waitFor(game, what + ", 70 ticks",
                                [&](const Steps& all) { return all.back().low > tick + 70; });
    const auto stop = std::find_if(steps.begin(), steps.end(),
                                   [&](const Game::Step& step) { return step.low > tick; });
    const auto moved = std::find_if(stop, steps.end(), [&](const Game::Step& step) {
        return step.x != stop->x || step.y != stop->y;
    });
    EXPECT_TRUE(moved == steps.end()) << what << ": moved after tick " << tick;
}

int gone(const Game::Step& from, const Game::Step& to, int dx, int dy) {
    return (to.x - from.x) * dx + (to.y - from.y) * dy;
}

// Pushes (if told how) until the player has gone `distance` pixels (dx, dy) in 5 frames or more,
// or reached a wall, then lets go (if told). Its way is straight, and between two frames of it a
// pixel for each tick played; held on by another control, it goes on without a still frame.
void expectPace(const Game& game, const std::function<void()>& push,
                const std::function<void()>& letGo, int dx, int dy, const std::string& what,
                int distance = 20) {
    SCOPED_TRACE(what);
    const Game::Step from = latest(game);
    if (push) {
        push();
    }
    const auto onTheWay = [&](const Game::Step& step) {
        return step.low >= from.high && gone(from, step, dx, dy) > 0 &&
               floor(step.x + dx, step.y + dy);
    };
    const Steps steps = waitFor(game, what, [&](const Steps& all) {
        return (gone(from, all.back(), dx, dy) > distance &&
                std::count_if(all.begin(), all.end(), onTheWay) > 4) ||
               !floor(all.back().x + dx, all.back().y + dy);
    });
    if (letGo) {
        letGo();
    }
    const Game::Step* last = nullptr;
    for (const Game::Step& step : steps) {
        if (!onTheWay(step)) {
            continue;
        }
        EXPECT_EQ(gone(from, step, dy, dx), 0) << "off the way after tick " << step.low;
        if (last) {
            EXPECT_GE(gone(*last, step, dx, dy), step.low - last->high) << "to tick " << step.low;
            EXPECT_LE(gone(*last, step, dx, dy), step.high - last->low) << "to tick " << step.high;
        }
        last = &step;
    }
    const auto next = std::find_if(steps.begin(), steps.end(),
                                   [&](const Game::Step& step) { return step.low > from.high; });
    EXPECT_TRUE(push || !last || (next != steps.end() && gone(from, *next, dx, dy) > 0))
        << "stopped";
}

// A pad lets go of all it holds: from the tick the game read it, the player stands still.
void expectLetGo(const Game& game, const std::string& folder, const std::function<void()>& letGo,
                 const std::string& what) {
    const auto read = [&folder] {
        std::pair<long, long> countAndTick{0, 0};
        std::ifstream(folder + "/read") >> countAndTick.first >> countAndTick.second;
        return countAndTick;
    };
    const long before = read().first;
    letGo();
    waitFor(game, what + " read", [&](const Steps&) { return read().first > before; });
    expectStillAfter(game, read().second, what);
}

TEST(Pads, SticksAndDpadMoveAt140AsTheLayoutSaysEachControlItsOwn) {
    const Folder folder;
    // Triggers at one end, the d-pad held left from the start, which acts only once let go.
    Pad pad(folder.path, 0, xbox, {0, 0, -full, 0, 0, -full, -full, 0});
    Pad other(folder.path, 1, flightStick, {0, 0, -full, 0, 0});
    Game game(padGame(folder.path));
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    expectStillAfter(game, 0, "a d-pad held from the start");
    // The d-pad let go, the sticks left off their centre as real ones are, the triggers
    // pulled and back at rest.
    const std::pair<int, int> moves[] = {{6, 0},    {0, 2500}, {1, -3000}, {3, 3000}, {4, 2000},
                                         {2, full}, {5, full}, {2, -full}, {5, -full}};
    for (const auto& [number, value] : moves) {
        pad.axis(number, value);
    }
    other.axis(0, -2000);
    other.axis(1, 2500);
    expectStillAfter(game, latest(game).high, "drift, or triggers back at rest");

    const std::pair<const Pad*, int> axes[] = {
        {&pad, 0}, {&pad, 1}, {&pad, 6}, {&pad, 7}, {&other, 0}};
    for (const auto& [p, number] : axes) {
        for (const int sign : {-1, 1}) {
            const std::string what =
                "axis " + std::to_string(number) + " to " + std::to_string(sign);
            const int dx = number % 2 ? 0 : sign, dy = number % 2 ? sign : 0;
            expectPace(
                game, [&] { p->axis(number, sign * full); }, nullptr, dx, dy, what);
            expectLetGo(
                game, folder.path, [&] { p->axis(number, 0); }, what + ", let go");
        }
    }

    // What the layouts do not name: the flight stick's throttle, hat and buttons, the pad's
    // triggers and right stick.
    other.axis(2, -full);
    other.axis(3, -full);
    other.button(0, 1);
    other.button(1, 1);
    for (int number : {2, 3, 4, 5}) {
        pad.axis(number, full);
    }
    expectStillAfter(game, latest(game).high, "what the layouts do not name");
    EXPECT_EQ(game.wait(0), -1) << "a flight stick's button quit";

    // The keyboard and a pad hold a key together: each lets go of its own alone.
    expectPace(
        game, [&] { game.keyDown("Left"), pad.axis(0, -full); }, [&] { pad.axis(0, 0); }, -1, 0,
        "Left and the stick left, then the stick let go", 10);
    expectPace(
        game, nullptr, [&] { pad.axis(0, -full); }, -1, 0, "Left alone, then the stick", 10);
    expectPace(
        game, nullptr, [&] { game.keyUp("Left"); }, -1, 0, "both, then Left let go", 10);
    expectPace(game, nullptr, nullptr, -1, 0, "the stick alone", 10);
    expectLetGo(
        game, folder.path, [&] { pad.axis(0, 0); }, "the stick let go");

    expectPace(
        game, [&] { other.axis(1, full); }, nullptr, 0, 1, "the flight stick down");
    expectLetGo(
        game, folder.path, [&] { other.unplug(); }, "unplugged while it holds");
    EXPECT_EQ(game.quit(), 0) << game.errors();
}

// With Escape held on the keyboard each game ends as it begins: A plays again at each prompt
// (the library's own clear_keybuf calls count a few games more).
TEST(Pads, AtThePromptAPlaysAgainAndBQuits) {
    const Folder folder;
    Pad pad(folder.path, 0, xbox, {0, 0, -full, 0, 0, -full, 0, 0});
    Game game(padGame(folder.path));
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    pad.button(0, 1);
    game.keyDown("Escape");
    for (int tries = 0; tries < 1200 && game.gamesEnded() < 10; ++tries) {
        pause(0.05);
    }
    ASSERT_GE(game.gamesEnded(), 10) << "A did not play again: " << game.errors();
    const long tick = latest(game).high;
    game.keyUp("Escape");
    waitFor(game, "a game played", [&](const Steps& all) { return all.back().low > tick; });
    pad.button(0, 0);
    ASSERT_EQ(game.wait(0), -1) << game.errors();
    pad.button(1, 1);
    EXPECT_EQ(game.wait(10), 0) << "B did not quit: " << game.errors();
}

}  // namespace
