// The real game played by pads: the library's own joystick driver reads devices that
// the test scripts (pads_preload.cpp), beside the keyboard of the test's X server.
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

constexpr int full = 32767;

// A pad as Linux's joystick device: a named pipe that the game reads, and its layout.
class Pad {
  public:
    // Its axes' and buttons' codes, and where each axis rests (0 unless said).
    Pad(const std::string& folder, int number, const std::string& axes, const std::string& buttons,
        const std::vector<int>& rest = {})
        : path_(folder + "/js" + std::to_string(number)) {
        std::ofstream(path_ + ".layout") << axes << "\n" << buttons << "\n";
        mkfifo(path_.c_str(), 0600);
        fd_ = open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);  // the game holds no end of it
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
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = -1;
    }

  private:
    void send(int type, int number, int value) const {
        const js_event event{0, static_cast<int16_t>(value), static_cast<uint8_t>(type),
                             static_cast<uint8_t>(number)};
        ASSERT_EQ(write(fd_, &event, sizeof event), static_cast<ssize_t>(sizeof event));
    }
    std::string path_;
    int fd_ = -1;
};

// An Xbox pad as the xpad driver names it: ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ,
// ABS_HAT0X, ABS_HAT0Y; BTN_SOUTH (A), BTN_EAST (B), BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR,
// BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR.
const char* xboxAxes = "0 1 2 3 4 5 16 17";
const char* xboxButtons = "304 305 307 308 310 311 314 315 316 317 318";
// A flight stick: ABS_X, ABS_Y, ABS_THROTTLE, ABS_HAT0X, ABS_HAT0Y; BTN_TRIGGER, BTN_THUMB.
const char* stickAxes = "0 1 6 16 17";
const char* stickButtons = "288 289";

struct Folder {
    std::string path = [] {
        char name[] = "/tmp/cavedot-pads-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    ~Folder() { rmdir(path.c_str()); }
};

// Waits for the game's frames, up to a minute, until `done` holds for them; once a check has
// failed, the scenario's later waits wait no more.
std::vector<Game::Step> waitFor(const Game& game, const std::string& what,
                                const std::function<bool(const std::vector<Game::Step>&)>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<Game::Step> steps = game.steps();
    if (::testing::Test::HasFailure()) {
        return steps;
    }
    while (!(steps.size() > 0 && done(steps)) && std::chrono::steady_clock::now() < end) {
        pause(0.01);
        steps = game.steps();
    }
    EXPECT_TRUE(steps.size() > 0 && done(steps))
        << "waited for " << what << "; the player last at "
        << (steps.empty() ? "nothing drawn"
                          : std::to_string(steps.back().x) + ", " + std::to_string(steps.back().y));
    return steps;
}

// The last frame drawn.
Game::Step latest(const Game& game) {
    const auto steps = game.steps();
    return steps.empty() ? Game::Step{} : steps.back();
}

// A room of more floor than the first room of window.cpp: the first square's reach drawn
// 99, not 50, so half-size 128; then the same square at (369, 289), and the exit far off.
std::string roomDraws() {
    std::string draws = "0,19,49, 49,49,0,0,40";
    for (int step = 0; step < 18; ++step) {
        draws += ", 0,0,0,0,0";
    }
    return draws + ", 440,360";
}

// Its floor: two squares.
bool floor(int x, int y) {
    const auto in = [x, y](int cx, int cy, int half) {
        return abs(x - cx) <= half && abs(y - cy) <= half;
    };
    return in(320, 240, 128) || in(369, 289, 40);
}

// Still since `from`, for 70 ticks more.
void expectNoMoveFor(const Game& game, const Game::Step& from, const std::string& what) {
    const auto steps = waitFor(game, "70 ticks", [&](const std::vector<Game::Step>& all) {
        return all.back().low >= from.high + 70;
    });
    for (const Game::Step& step : steps) {
        if (step.low >= from.low) {
            ASSERT_TRUE(step.x == from.x && step.y == from.y) << what << " moved the player";
        }
    }
}

// How far the player has gone (dx, dy) from `from`.
int gone(const Game::Step& from, const Game::Step& to, int dx, int dy) {
    return (to.x - from.x) * dx + (to.y - from.y) * dy;
}

// A frame after `from` that has gone (dx, dy) from it, short of a wall on its way.
bool onTheWay(const Game::Step& from, const Game::Step& step, int dx, int dy) {
    return step.low >= from.high && gone(from, step, dx, dy) > 0 && floor(step.x + dx, step.y + dy);
}

// Pushes (if told how), until the player has gone `distance` more pixels (dx, dy) on its way, then
// lets go; every pixel of the way a tick, 140 a second, and the way straight.
void expectPace(const Game& game, const std::function<void()>& push,
                const std::function<void()>& letGo, int dx, int dy, const std::string& what,
                int distance = 20) {
    SCOPED_TRACE(what);
    const Game::Step from = latest(game);
    if (push) {
        push();
    }
    // Some frames of the way, however many ticks each took, or the way's wall reached.
    const auto steps = waitFor(game, what, [&](const std::vector<Game::Step>& all) {
        const auto on = [&](const Game::Step& step) { return onTheWay(from, step, dx, dy); };
        return (gone(from, all.back(), dx, dy) > distance &&
                std::count_if(all.begin(), all.end(), on) > 4) ||
               !floor(all.back().x + dx, all.back().y + dy);
    });
    if (letGo) {
        letGo();
    }
    std::vector<Game::Step> moving;
    for (const Game::Step& step : steps) {
        if (onTheWay(from, step, dx, dy)) {
            moving.push_back(step);
            EXPECT_EQ(gone(from, step, dy, dx), 0) << "off the way after tick " << step.low;
        }
    }
    if (moving.size() < 2) {
        return;  // a machine so busy that the player reached the wall in a frame or two
    }
    // Held on by another control, with no frame still: its first frame after more ticks moved.
    const auto next = std::find_if(steps.begin(), steps.end(),
                                   [&](const Game::Step& step) { return step.low > from.high; });
    EXPECT_TRUE(push || (next != steps.end() && gone(from, *next, dx, dy) > 0)) << "stopped";
    // Between two frames of the way, a pixel for each tick played: the frames whose ticks
    // are known the closest, one of each half of the way.
    const auto closest = [](auto begin, auto end) {
        return *std::min_element(begin, end, [](const Game::Step& a, const Game::Step& b) {
            return a.high - a.low < b.high - b.low;
        });
    };
    const auto half = moving.begin() + moving.size() / 2;
    const Game::Step a = closest(moving.begin(), half), b = closest(half, moving.end());
    EXPECT_GE(gone(a, b, dx, dy), b.low - a.high)
        << "ticks " << a.low << "-" << a.high << " to " << b.low << "-" << b.high;
    EXPECT_LE(gone(a, b, dx, dy), b.high - a.low)
        << "ticks " << a.low << "-" << a.high << " to " << b.low << "-" << b.high;
}

// The number of times the game has read a pad's events so far, and the ticks given then.
std::pair<long, long> padReads(const std::string& folder) {
    std::ifstream in(folder + "/read");
    std::pair<long, long> read{0, 0};
    in >> read.first >> read.second;
    return read;
}

// A pad lets go of all it holds: from the tick the game read it, the player stands still.
void expectLetGo(const Game& game, const std::string& folder, const std::function<void()>& letGo,
                 const std::string& what) {
    const long before = padReads(folder).first;
    letGo();
    long tick = 0;
    waitFor(game, what + " read", [&](const std::vector<Game::Step>&) {
        const auto [reads, ticks] = padReads(folder);
        tick = ticks;
        return reads > before;
    });
    const auto steps = waitFor(game, "70 ticks more", [&](const std::vector<Game::Step>& all) {
        return all.back().low > tick + 70;
    });
    const auto stop = std::find_if(steps.begin(), steps.end(),
                                   [&](const Game::Step& step) { return step.low > tick; });
    for (auto step = stop; step != steps.end(); ++step) {
        EXPECT_TRUE(step->x == stop->x && step->y == stop->y)
            << what << ": moved after tick " << tick << ", when the game read it";
    }
}

TEST(Pads, SticksAndDpadMoveAt140AsTheLayoutSaysEachControlItsOwn) {
    const Folder folder;
    // Triggers at one end, the d-pad held left from the start, which acts only once let go.
    Pad pad(folder.path, 0, xboxAxes, xboxButtons, {0, 0, -full, 0, 0, -full, -full, 0});
    Pad other(folder.path, 1, stickAxes, stickButtons, {0, 0, -full, 0, 0});
    Game::Options options;
    options.pads = folder.path;
    options.draws = roomDraws();
    Game game(options);
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    const auto start = waitFor(game, "a frame", [](const auto&) { return true; });
    ASSERT_FALSE(start.empty());
    expectNoMoveFor(game, start.front(), "a d-pad held from the start");
    // In play: the d-pad let go, the sticks left off their centre as real ones are, the
    // triggers pulled and back at rest; each read on the timer's thread before 70 ticks more.
    pad.axis(6, 0);
    const std::pair<int, int> moves[] = {{0, 2500}, {1, -3000}, {3, 3000},  {4, 2000},
                                         {2, full}, {5, full},  {2, -full}, {5, -full}};
    for (const auto& [number, value] : moves) {
        pad.axis(number, value);
    }
    other.axis(0, -2000);
    other.axis(1, 2500);
    expectNoMoveFor(game, latest(game), "drift, or triggers back at rest");

    const auto axis = [](const Pad& p, int number, int value) {
        return std::pair<std::function<void()>, std::function<void()>>{
            [&p, number, value] { p.axis(number, value); }, [&p, number] { p.axis(number, 0); }};
    };
    const std::tuple<const Pad*, int, int, int, int, const char*> ways[] = {
        {&pad, 0, -full, -1, 0, "stick left"},
        {&pad, 0, full, 1, 0, "stick right"},
        {&pad, 1, -full, 0, -1, "stick up"},
        {&pad, 1, full, 0, 1, "stick down"},
        {&pad, 6, -full, -1, 0, "d-pad left"},
        {&pad, 6, full, 1, 0, "d-pad right"},
        {&pad, 7, -full, 0, -1, "d-pad up"},
        {&pad, 7, full, 0, 1, "d-pad down"},
        {&other, 0, -full, -1, 0, "a flight stick's stick left"}};
    for (const auto& [p, number, value, dx, dy, what] : ways) {
        const auto [push, letGo] = axis(*p, number, value);
        expectPace(game, push, nullptr, dx, dy, what);
        expectLetGo(game, folder.path, letGo, what);
    }

    // The flight stick's hat, throttle and buttons, the pad's triggers and right stick.
    for (int number : {2, 3}) {
        other.axis(number, -full);
    }
    other.button(0, 1);
    other.button(1, 1);
    for (int number : {2, 3, 4, 5}) {
        pad.axis(number, full);
    }
    expectNoMoveFor(game, latest(game), "what the layouts do not name");
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

    // Unplugged while it holds the stick down, a pad lets go.
    expectPace(
        game, [&] { other.axis(1, full); }, nullptr, 0, 1, "the flight stick down");
    expectLetGo(
        game, folder.path, [&] { other.unplug(); }, "unplugged");
    EXPECT_EQ(game.quit(), 0) << game.errors();
}

// At the prompt, with Escape held on the keyboard: A plays again as Space does, B quits.
TEST(Pads, AtThePromptAPlaysAgainAndBQuits) {
    const Folder folder;
    Pad pad(folder.path, 0, xboxAxes, xboxButtons, {0, 0, -full, 0, 0, -full, 0, 0});
    Game::Options options;
    options.pads = folder.path;
    options.draws = roomDraws();
    Game game(options);
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    pad.button(0, 1);
    game.keyDown("Escape");  // games end as soon as they begin while both are held
    for (int tries = 0; tries < 600 && game.gamesEnded() < 3; ++tries) {
        pause(0.05);
    }
    ASSERT_GE(game.gamesEnded(), 3) << "no game ended: " << game.errors();
    game.keyUp("Escape");
    pause(0.3);
    pad.button(0, 0);
    const long ended = game.gamesEnded();
    const Game::Step from = latest(game);
    waitFor(game, "a game playing", [&](const std::vector<Game::Step>& steps) {
        return steps.back().low >= from.high + 70;
    });
    EXPECT_EQ(game.gamesEnded(), ended);
    ASSERT_EQ(game.wait(0), -1) << "A did not play again";
    pad.button(1, 1);
    EXPECT_EQ(game.wait(10), 0) << game.errors();
}

}  // namespace
