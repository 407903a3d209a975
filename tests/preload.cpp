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
//    copied to the screen after a tick more has begun: the ticks that the game had
//    played by then, between those its timer had given as the last frame was copied
//    and those begun as this one is, and the player's point;
//  - CAVEDOT_TEST_PADS names a folder of scripted pads in place of Linux's joystick devices:
//    pad N is jsN there, a named pipe of the device's events (struct js_event), closed to
//    unplug it, beside jsN.axes and jsN.buttons, the ABS_ codes of its axes and the BTN_
//    codes of its buttons. Each time the game reads jsN, jsN.read receives the ticks begun.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
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

// Into the file at `path`, if any: written aside and renamed, so that a reader
// never sees half a number.
void record(const char* path, long number) {
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
long lastTicks = -1;   // ticks begun as the last frame recorded was copied
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

// Each frame copied after a tick more has begun: its ticks and the player's point.
void recordMoves(BITMAP* frame) {
    const char* path = getenv("CAVEDOT_TEST_MOVES");
    if (!path || ticksBegun == lastTicks) {
        return;
    }
    lastTicks = ticksBegun;
    findPlayer(frame, lastX, lastY);
    if (FILE* file = fopen(path, "a")) {
        fprintf(file, "%ld %ld %d %d\n", copiedTicks, lastTicks, lastX, lastY);
        fclose(file);
    }
}
}  // namespace

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
        record(getenv("CAVEDOT_TEST_FIRST_FRAME"), now.tv_sec * 1000000000L + now.tv_nsec);
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

extern "C" int install_int_ex(void (*proc)(), long period) {
    static auto library = next<decltype(install_int_ex)>("install_int_ex");
    record(getenv("CAVEDOT_TEST_TICK"), period);
    tickProc = proc;
    return library ? library(countedTick, period) : -1;
}

extern "C" void clear_keybuf() {
    static long games = 0;
    static auto library = next<decltype(clear_keybuf)>("clear_keybuf");
    if (library) {
        library();
    }
    record(getenv("CAVEDOT_TEST_GAMES"), ++games);
}

namespace {
// The pipe that `fd` reads, if it is a scripted pad's; else "".
std::string padPipe(int fd) {
    const char* folder = getenv("CAVEDOT_TEST_PADS");
    if (!folder) {
        return "";
    }
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    const std::string pipe(path, std::max<ssize_t>(length, 0));
    return pipe.rfind(folder + std::string("/js"), 0) == 0 ? pipe : "";
}
}  // namespace

// The library's driver and the game open /dev/input/jsN, else /dev/jsN.
extern "C" int open(const char* path, int flags, ...) {
    static auto library = next<int(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, int) : 0;
    va_end(args);
    const char* folder = getenv("CAVEDOT_TEST_PADS");
    const char* name = strrchr(path, '/');
    if (folder && strncmp(path, "/dev/", 5) == 0 && strncmp(name, "/js", 3) == 0) {
        return library((folder + std::string(name)).c_str(), flags, mode);
    }
    return library(path, flags, mode);
}

// The driver reads a pad's events on the timer's thread, as the game then takes them in: no
// tick begins in between. An unplugged pad's end, read at every poll, is stamped once.
extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    static auto library = next<ssize_t(int, void*, size_t)>("read");
    const ssize_t got = library(fd, buffer, size);
    const std::string pipe = got >= 0 ? padPipe(fd) : "";
    const std::string stamp = pipe + ".read";
    if (!pipe.empty() && (got > 0 || access(stamp.c_str(), F_OK) != 0)) {
        record(stamp.c_str(), ticksBegun);
    }
    return got;
}

// A pad's version, and its axes' and buttons' counts and codes, as Linux answers them.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    static auto library = next<int(int, unsigned long, ...)>("ioctl");
    va_list args;
    va_start(args, request);
    void* to = va_arg(args, void*);
    va_end(args);
    const std::string pipe = padPipe(fd);
    if (pipe.empty()) {
        return library(fd, request, to);
    }
    const bool axes = request == JSIOCGAXES || request == JSIOCGAXMAP;
    std::ifstream layout(pipe + (axes ? ".axes" : ".buttons"));
    const std::vector<unsigned> codes{std::istream_iterator<unsigned>(layout), {}};
    switch (request) {
        case JSIOCGVERSION:
            return 0;  // the library refuses only version 0.x, which lacks the request
        case JSIOCGAXES:
        case JSIOCGBUTTONS:
            *static_cast<uint8_t*>(to) = static_cast<uint8_t>(codes.size());
            return 0;
        case JSIOCGAXMAP:
            std::copy(codes.begin(), codes.end(), static_cast<uint8_t*>(to));
            return 0;
        case JSIOCGBTNMAP:
            std::copy(codes.begin(), codes.end(), static_cast<uint16_t*>(to));
            return 0;
        default:
            return library(fd, request, to);
    }
}
