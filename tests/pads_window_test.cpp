// The real game played by pads: the library's own joystick driver reads devices that the test
// scripts (preload.cpp), beside the keyboard of the test's X server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/joystick.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>

#include "window.h"

namespace {

constexpr int full = 32767;
// An Xbox pad's axes as the xpad driver names them: ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ,
// ABS_HAT0X, ABS_HAT0Y; and its buttons: BTN_SOUTH (A), BTN_EAST (B), BTN_NORTH, BTN_WEST,
// BTN_TL, BTN_TR, BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR.
const char* const xbox[] = {"0 1 2 3 4 5 16 17", "304 305 307 308 310 311 314 315 316 317 318"};
// A flight stick's: ABS_X, ABS_Y, ABS_THROTTLE, ABS_HAT0X, ABS_HAT0Y; BTN_TRIGGER, BTN_THUMB.
const char* const flightStick[] = {"0 1 6 16 17", "288 289"};

js_event axis(int number, int value) {
    return {0, static_cast<int16_t>(value), JS_EVENT_AXIS, static_cast<uint8_t>(number)};
}

js_event button(int number, int value) {
    return {0, static_cast<int16_t>(value), JS_EVENT_BUTTON, static_cast<uint8_t>(number)};
}

// Waits up to a minute for `done`; once a check has failed, no longer, the first failure told.
bool waitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!::testing::Test::HasFailure() && std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        pause(0.01);
    }
    return ::testing::Test::HasFailure();
}

// Pads as Linux's joystick devices, scripted in a folder of their own (preload.cpp).
struct Pads {
    std::string folder = run("printf %s \"$(mktemp -d)\"");
    std::vector<int> fds;

    ~Pads() {
        for (int fd : fds) {
            close(fd);
        }
        run("rm -rf " + folder);
    }

    // A pad more, its axes first as `rest` has them.
    void plug(const char* const layout[2], const std::vector<js_event>& rest) {
        const std::string pipe = folder + "/js" + std::to_string(fds.size());
        std::ofstream(pipe + ".axes") << layout[0];
        std::ofstream(pipe + ".buttons") << layout[1];
        mkfifo(pipe.c_str(), 0600);
        fds.push_back(open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));  // no reader yet
        put(fds.back(), rest);
    }

    // Gives pad `pad` these events at once, or with none unplugs it; returns the ticks begun as
    // the game read them.
    long send(size_t pad, const std::vector<js_event>& events) {
        const std::string read = folder + "/js" + std::to_string(pad) + ".read";
        unlink(read.c_str());
        put(fds[pad], events);
        if (events.empty()) {
            close(fds[pad]);
            fds[pad] = -1;
        }
        long tick = 0;
        EXPECT_TRUE(waitUntil([&] { return static_cast<bool>(std::ifstream(read) >> tick); }))
            << "waited for the game to read pad " << pad;
        return tick;
    }

    static void put(int fd, const std::vector<js_event>& events) {
        const auto size = static_cast<ssize_t>(events.size() * sizeof(js_event));
        EXPECT_TRUE(events.empty() || write(fd, events.data(), size) == size);
    }
};

// The room's floor: its first square, of half-size 128, holds the others.
bool floor(int x, int y) {
    return abs(x - 320) <= 128 && abs(y - 240) <= 128;
}

std::string where(const Game::Step& step) {
    return std::to_string(step.x) + ", " + std::to_string(step.y) + " after ticks " +
           std::to_string(step.low) + " to " + std::to_string(step.high);
}

// From the first frame drawn after `tick` that shows `seen`, for 20 ticks played (70 to stand
// still): the player goes (dx, dy) a pixel a tick played, up to a wall, or for (0, 0) stands.
void expectPath(const Game& game, long tick, int dx, int dy, const std::string& what,
                const std::function<bool(const Game::Step&)>& seen = nullptr) {
    const long ticks = dx || dy ? 20 : 70;
    std::vector<Game::Step> steps;
    auto from = steps.end();
    const bool played = waitUntil([&] {
        steps = game.steps();
        from = std::find_if(steps.begin(), steps.end(), [&](const Game::Step& step) {
            return step.low > tick && (!seen || seen(step));
        });
        return from != steps.end() && steps.back().low > from->high + ticks;
    });
    EXPECT_TRUE(played) << what << ": waited for it to show after tick " << tick << ", then for "
                        << ticks << " ticks played; "
                        << (steps.empty() ? "nothing drawn" : "last " + where(steps.back()));
    const auto wrong = std::find_if(from, steps.end(), [&](const Game::Step& step) {
        const int n = dx ? (step.x - from->x) * dx : (step.y - from->y) * dy;
        const bool paced = n >= step.low - from->high && n <= step.high - from->low;
        return floor(step.x + dx, step.y + dy) &&
               (step.x != from->x + n * dx || step.y != from->y + n * dy || ((dx || dy) && !paced));
    });
    EXPECT_TRUE(wrong == steps.end())
        << what << ": at " << where(*from) << ", then at " << where(*wrong);
}

TEST(Pads, AGameWalkedThroughWithAPadOfEachLayoutAndTheKeyboard) {
    Pads pads;
    // The triggers at one end, the d-pad held left from the start, which acts only once let go.
    pads.plug(xbox, {axis(2, -full), axis(5, -full), axis(6, -full)});
    pads.plug(flightStick, {axis(2, -full)});
    Game::Options options;
    options.pads = pads.folder;
    // window.cpp's first room, its first square's reach drawn 99, not 50, and its exit far off.
    options.draws.replace(0, 6, "0,19,49");
    options.draws.replace(options.draws.rfind("300,200"), 7, "440,360");
    Game game(options);
    ASSERT_TRUE(game.hasWindow()) << game.errors();
    expectPath(game, 0, 0, 0, "a d-pad held from the start");

    // The d-pad let go, the sticks off their centre as real ones are, the triggers pulled and
    // then back at rest, and what the layouts do not name: the flight stick's throttle, hat and
    // buttons, the pad's right stick.
    pads.send(0, {axis(6, 0), axis(0, 2500), axis(1, -3000), axis(3, full), axis(4, -full),
                  axis(2, full), axis(5, full)});
    pads.send(1, {axis(0, -2000), axis(1, 2500), axis(2, full), axis(3, -full), axis(4, full),
                  button(0, 1), button(1, 1)});
    const long rest = pads.send(0, {axis(2, -full), axis(5, -full)});
    expectPath(game, rest, 0, 0, "drift, triggers back at rest, and what the layouts do not name");
    EXPECT_EQ(game.wait(0), -1) << "a flight stick's button quit";

    // The stick's and d-pad's axes, across and up and down, then the flight stick's across.
    const std::pair<size_t, int> axes[] = {{0, 0}, {0, 1}, {0, 6}, {0, 7}, {1, 0}};
    for (const auto& [pad, number] : axes) {
        for (const int sign : {-1, 1}) {
            const std::string what = "pad " + std::to_string(pad) + "'s axis " +
                                     std::to_string(number) + " at " + std::to_string(sign);
            const int dx = number % 2 ? 0 : sign;
            const int dy = number % 2 ? sign : 0;
            expectPath(game, pads.send(pad, {axis(number, sign * full)}), dx, dy, what);
            expectPath(game, pads.send(pad, {axis(number, 0)}), 0, 0, what + ", let go");
        }
    }

    expectPath(game, pads.send(1, {axis(1, full)}), 0, 1, "the flight stick down");
    expectPath(game, pads.send(1, {}), 0, 0, "the flight stick unplugged while it holds");

    // The keyboard and the pad hold Left together, and each lets go alone. The game takes a key
    // in when it shows it: Left from standing, Up beside Left.
    Game::Step before = game.steps().back();
    game.keyDown("Left");
    const auto left = [&](const Game::Step& step) { return step.x < before.x; };
    expectPath(game, before.high, -1, 0, "Left", left);
    pads.send(0, {axis(0, -full)});
    expectPath(game, pads.send(0, {axis(0, 0)}), -1, 0, "the stick let go, Left held");
    pads.send(0, {axis(0, -full)});
    before = game.steps().back();
    run("xdotool keyup Left keydown Up");
    const auto up = [&](const Game::Step& step) { return step.y < before.y; };
    expectPath(game, before.high, -1, -1, "Left let go for Up, the stick held left", up);

    // With Escape held each game ends as it begins: A plays again at each prompt. B quits.
    const long games = game.gamesEnded();
    pads.send(0, {button(0, 1)});
    game.keyDown("Escape");
    EXPECT_TRUE(waitUntil([&] { return game.gamesEnded() >= games + 10; }))
        << "A did not play again: " << game.errors();
    const long replayed = game.steps().back().high;
    game.keyUp("Escape");
    EXPECT_TRUE(waitUntil([&] { return game.steps().back().low > replayed; }))
        << "no game played once Escape was let go";
    pads.send(0, {button(0, 0)});
    EXPECT_EQ(game.wait(0), -1) << game.errors();
    pads.send(0, {button(1, 1)});
    EXPECT_EQ(game.wait(60), 0) << "B did not quit: " << game.errors();
}

}  // namespace
