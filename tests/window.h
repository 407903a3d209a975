// The real program in a real window: starts the game, finds its window,
// sends key presses through the X server, reads its pixels and its exit status.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB, row by row
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * w + x]; }
    int count(uint32_t colour, int left, int top, int right, int bottom) const;
};

constexpr uint32_t rgb(int r, int g, int b) {
    return (r << 16) | (g << 8) | b;
}

// The first room of the games started here, worked by hand: its draws (20 squares: half-size
// 79 at the centre, a step of (+49, +49) with half-size 40, pixels inside that; the exit at
// (300, 200)), and the frame that the game must show first from them.
std::string firstRoomDraws();
Picture firstRoomFrame();

class Game {
  public:
    struct Options {
        long seedTime = 1790000000;        // the second the game's clock reads at start
        bool display = true;               // false: started with DISPLAY unset
        std::vector<std::string> wrapper;  // a command to run the game under, e.g. valgrind
        std::string refuse;                // a library call to fail, e.g. "install_keyboard"
        // rand's first results once the game has seeded it from that clock
        std::string draws = firstRoomDraws();
        std::string pads;  // a folder of scripted joystick devices (preload.cpp)
    };
    explicit Game(const Options& options);
    Game() : Game(Options{}) {}
    ~Game();

    bool hasWindow() const { return !window_.empty(); }
    Picture grab() const;
    void keyDown(const std::string& keys) const;
    void keyUp(const std::string& keys) const;
    // The exit status, or -1 if the game is still running after `seconds`.
    int wait(double seconds);
    int quit(double seconds = 5);  // presses Escape, then waits as above
    std::string errors() const;    // all it printed
    long gamesEnded() const;
    long tickPeriod() const;   // what the game asked its tick's period to be
    long residentKiB() const;  // in KiB
    // The player's point frame by frame as the game drew it, each after low to high ticks played.
    struct Step {
        long low, high;
        int x, y;
    };
    std::vector<Step> steps() const;
    void signal(int number) const;

  private:
    void waitForFirstFrame() const;

    pid_t pid_ = -1;
    std::string window_;
    std::string errorFile_;
    std::string gamesFile_;
};

// Runs a shell command and returns what it printed.
std::string run(const std::string& command);

void pause(double seconds);
