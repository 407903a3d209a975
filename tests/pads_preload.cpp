// Loaded into the real game with preload.cpp: scripted pads in place of Linux's joystick
// devices, for the library's driver and the game alike. CAVEDOT_TEST_PADS names a folder
// where the test makes pad N as two files:
//  - jsN, a named pipe into which it writes the device's events (struct js_event), the
//    JS_EVENT_INIT ones that a device gives first too, and which it closes to unplug it;
//  - jsN.layout, the codes that the device names its axes by (ABS_), on one line, and
//    its buttons by (BTN_), on the next.
// A pad without them is not there. When the game reads a pad's events, or first finds it
// unplugged, "read" in the folder receives "COUNT TICKS": how many such reads so far, and the
// ticks the game's timer had given then.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Layout {
    std::vector<uint8_t> axes;
    std::vector<uint16_t> buttons;
    bool ended = false;  // read to its end: unplugged
};
std::map<int, Layout> pads;  // a scripted device's descriptor: its layout
std::mutex padsLock;

template <typename Number>
std::vector<Number> numbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<Number> all;
    for (unsigned number; in >> number;) {
        all.push_back(static_cast<Number>(number));
    }
    return all;
}

using Open = int(const char*, int, ...);
int openScripted(Open* library, const char* path, int flags, mode_t mode) {
    const char* folder = getenv("CAVEDOT_TEST_PADS");
    int number = -1;
    if (!folder || (sscanf(path, "/dev/input/js%d", &number) != 1 &&
                    sscanf(path, "/dev/js%d", &number) != 1)) {
        return library(path, flags, mode);
    }
    const std::string device = std::string(folder) + "/js" + std::to_string(number);
    std::ifstream in(device + ".layout");
    std::string axes, buttons;
    if (!std::getline(in, axes) || !std::getline(in, buttons)) {
        errno = ENOENT;
        return -1;
    }
    const int fd = library(device.c_str(), flags, mode);
    if (fd >= 0) {
        const std::lock_guard<std::mutex> hold(padsLock);
        pads[fd] = Layout{numbers<uint8_t>(axes), numbers<uint16_t>(buttons)};
    }
    return fd;
}

mode_t modeOf(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}
}  // namespace

#define OPEN(name)                                                              \
    extern "C" int name(const char* path, int flags, ...) {                     \
        static auto library = reinterpret_cast<Open*>(dlsym(RTLD_NEXT, #name)); \
        va_list args;                                                           \
        va_start(args, flags);                                                  \
        const mode_t mode = modeOf(flags, args);                                \
        va_end(args);                                                           \
        return openScripted(library, path, flags, mode);                        \
    }
OPEN(open)
OPEN(open64)

long testTicksGiven();  // preload.cpp

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    static auto library =
        reinterpret_cast<ssize_t (*)(int, void*, size_t)>(dlsym(RTLD_NEXT, "read"));
    static long reads = 0;
    const ssize_t got = library(fd, buffer, size);
    const std::lock_guard<std::mutex> hold(padsLock);
    const auto pad = pads.find(fd);
    if (pad == pads.end() || got < 0 || (got == 0 && pad->second.ended)) {
        return got;
    }
    pad->second.ended = got == 0;
    const std::string path = std::string(getenv("CAVEDOT_TEST_PADS")) + "/read";
    if (FILE* file = fopen((path + ".part").c_str(), "w")) {
        fprintf(file, "%ld %ld\n", ++reads, testTicksGiven());
        fclose(file);
        rename((path + ".part").c_str(), path.c_str());
    }
    return got;
}

extern "C" int close(int fd) {
    static auto library = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "close"));
    {
        const std::lock_guard<std::mutex> hold(padsLock);
        pads.erase(fd);
    }
    return library(fd);
}

// The joystick device's own requests, as Linux answers them, for a scripted pad.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    static auto library =
        reinterpret_cast<int (*)(int, unsigned long, ...)>(dlsym(RTLD_NEXT, "ioctl"));
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    Layout layout;
    {
        const std::lock_guard<std::mutex> hold(padsLock);
        const auto pad = pads.find(fd);
        if (pad == pads.end()) {
            return library(fd, request, argument);
        }
        layout = pad->second;
    }
    switch (request) {
        case JSIOCGVERSION:
            *static_cast<uint32_t*>(argument) = JS_VERSION;
            return 0;
        case JSIOCGAXES:
            *static_cast<uint8_t*>(argument) = static_cast<uint8_t>(layout.axes.size());
            return 0;
        case JSIOCGBUTTONS:
            *static_cast<uint8_t*>(argument) = static_cast<uint8_t>(layout.buttons.size());
            return 0;
        case JSIOCGAXMAP:
            memcpy(argument, layout.axes.data(), layout.axes.size());
            return 0;
        case JSIOCGBTNMAP:
            memcpy(argument, layout.buttons.data(), layout.buttons.size() * sizeof(uint16_t));
            return 0;
        default:
            errno = ENOTTY;
            return -1;
    }
}
