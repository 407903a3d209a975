// Loaded into the real game by the window tests (LD_PRELOAD), to see into it
// without changing it:
//  - CAVEDOT_TEST_TIME fixes the clock the game seeds its rooms from;
//  - CAVEDOT_TEST_DRAWS, comma-separated, are rand's first results once the game
//    has seeded it from that clock (the C library's own follow);
//  - CAVEDOT_TEST_TICK names a file that receives the period of the game's tick;
//  - CAVEDOT_TEST_GAMES names a file that holds the number of games ended so far,
//    counted where every game's end empties the keyboard buffer;
//  - CAVEDOT_TEST_REFUSE names a library call (install_timer, install_keyboard or
//    create_bitmap) that fails as if the platform had refused it;
//  - CAVEDOT_TEST_FIRST_FRAME names a file for the moment (CLOCK_MONOTONIC, in ns)
//    when the first frame copied to the screen is on the X server; the program
//    then ends, with status 0. bench/run times start-up with it;
//  - CAVEDOT_TEST_MOVES names a file that receives a line "LOW HIGH X Y" for each frame
//    copied to the screen after more ticks than the last: the ticks that the game had
//    played by then, between those its timer had given as the last frame was copied
//    and as this one began, and the player's point.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::vector<int> draws;
size_t drawn = 0;

bool refused(const char* name) {
    const char* refuse = getenv("CAVEDOT_TEST_REFUSE");
    return refuse && strcmp(refuse, name) == 0;
}

// The library's own `name`, the one this file stands in front of.
template <typename Function>
Function* next(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

// Into the file that `variable` names, if set: written aside and renamed, so
// that a reader never sees half a number.
void record(const char* variable, long number) {
    const char* path = getenv(variable);
    if (!path) {
        return;
    }
    const std::string part = std::string(path) + ".part";
    if (FILE* file = fopen(part.c_str(), "w")) {
        fprintf(file, "%ld\n", number);
        fclose(file);
        rename(part.c_str(), path);
    }
}
}  // namespace

// The library's install_timer or install_keyboard, or -1 as if refused.
#define REFUSABLE(name)                                     \
    extern "C" int name() {                                 \
        static auto library = next<decltype(name)>(#name);  \
        return refused(#name) || !library ? -1 : library(); \
    }
REFUSABLE(install_timer)
REFUSABLE(install_keyboard)

struct BITMAP;
namespace {
void (*tickProc)() = nullptr;
// A tick is counted as begun before the game's callback raises its counter, and as given once
// it has: the game has played no more ticks than have begun, and at least those given before.
std::atomic<long> ticksBegun{0};
std::atomic<long> ticksGiven{0};
long copiedTicks = 0;  // ticks given when the last frame had been copied to the screen
long framedTicks = 0;  // ticks begun when the frame being drawn began
long lastTicks = -1;   // those of the last frame recorded
int lastX = -1, lastY = -1;

void countedTick() {
    ++ticksBegun;
    tickProc();
    ++ticksGiven;
}

// The player's point in `frame`: its disc, the only pixels of the player's colour, is
// drawn up and left of it, with a radius of 4. Looked for around the last point first.
void findPlayer(BITMAP* frame, int& x, int& y) {
    static auto getpixel = next<int(BITMAP*, int, int)>("getpixel");
    static auto makecol = next<int(int, int, int)>("makecol");
    const int colour = makecol(55, 55, 55);
    for (const int reach : {12, 640}) {
        int left = 640, right = -1, top = 480, bottom = -1;
        for (int py = lastY - reach; py <= lastY + reach; ++py) {
            for (int px = lastX - reach; px <= lastX + reach; ++px) {
                if (getpixel(frame, px, py) == colour) {
                    left = std::min(left, px), right = std::max(right, px);
                    top = std::min(top, py), bottom = std::max(bottom, py);
                }
            }
        }
        if (right - left == 8 && bottom - top == 8) {
            x = (left + right) / 2 + 1;
            y = (top + bottom) / 2 + 1;
            return;
        }
    }
}

// Each frame that has played more ticks than the last: its ticks and the player's point.
void recordMoves(BITMAP* frame) {
    const char* path = getenv("CAVEDOT_TEST_MOVES");
    if (!path || framedTicks == lastTicks) {
        return;
    }
    lastTicks = framedTicks;
    findPlayer(frame, lastX, lastY);
    if (FILE* file = fopen(path, "a")) {
        fprintf(file, "%ld %ld %d %d\n", copiedTicks, framedTicks, lastX, lastY);
        fclose(file);
    }
}
}  // namespace

// A frame begins with the room, the game's loop having played every tick given.
extern "C" void masked_blit(BITMAP* source, BITMAP* dest, int sx, int sy, int dx, int dy, int w,
                            int h) {
    static auto library = next<decltype(masked_blit)>("masked_blit");
    framedTicks = ticksBegun;
    library(source, dest, sx, sy, dx, dy, w, h);
}

extern "C" BITMAP* create_bitmap(int width, int height) {
    static auto library = next<decltype(create_bitmap)>("create_bitmap");
    return refused("create_bitmap") || !library ? nullptr : library(width, height);
}

extern "C" void blit(BITMAP* source, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h) {
    static auto library = next<decltype(blit)>("blit");
    library(source, dest, sx, sy, dx, dy, w, h);
    static auto screen = static_cast<BITMAP**>(dlsym(RTLD_DEFAULT, "screen"));
    if (screen && dest == *screen) {
        recordMoves(source);
        copiedTicks = ticksGiven;
    }
    if (getenv("CAVEDOT_TEST_FIRST_FRAME") && screen && dest == *screen) {
        // The library's own flush of its X connection: it returns once the server has the frame.
        if (auto flush = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "_xwin_flush_buffers"))) {
            flush();
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        record("CAVEDOT_TEST_FIRST_FRAME", now.tv_sec * 1000000000L + now.tv_nsec);
        _exit(0);
    }
}

extern "C" time_t time(time_t* out) {
    const char* fixed = getenv("CAVEDOT_TEST_TIME");
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t seconds = fixed ? static_cast<time_t>(strtoll(fixed, nullptr, 10)) : now.tv_sec;
    if (out) {
        *out = seconds;
    }
    return seconds;
}

extern "C" void srand(unsigned seed) {
    static auto library = next<decltype(srand)>("srand");
    library(seed);
    const char* fixed = getenv("CAVEDOT_TEST_TIME");
    const char* script = getenv("CAVEDOT_TEST_DRAWS");
    if (fixed && script && seed == static_cast<unsigned>(strtoll(fixed, nullptr, 10))) {
        std::istringstream in(script);
        char comma;
        for (int value; in >> value; in >> comma) {
            draws.push_back(value);
        }
    }
}

extern "C" int rand() {
    static auto library = next<decltype(rand)>("rand");
    return drawn < draws.size() ? draws[drawn++] : library();
}

// The ticks begun so far, for pads_preload.cpp: the game has played no more.
long testTicksBegun() {
    return ticksBegun;
}

extern "C" int install_int_ex(void (*proc)(), long period) {
    static auto library = next<decltype(install_int_ex)>("install_int_ex");
    record("CAVEDOT_TEST_TICK", period);
    tickProc = proc;
    return library ? library(countedTick, period) : -1;
}

extern "C" void clear_keybuf() {
    static long games = 0;
    static auto library = next<decltype(clear_keybuf)>("clear_keybuf");
    if (library) {
        library();
    }
    record("CAVEDOT_TEST_GAMES", ++games);
}
