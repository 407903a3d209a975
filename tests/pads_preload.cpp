// Loaded into the real game with preload.cpp: scripted pads in place of Linux's joystick
// devices. In the folder CAVEDOT_TEST_PADS, pad N is jsN, a named pipe of the device's events
// (struct js_event), closed to unplug it, and jsN.layout: the ABS_ codes of its axes on one
// line, the BTN_ codes of its buttons on the next. When the game reads a pad's events, or
// first finds it unplugged, "read" there receives "COUNT TICKS": such reads so far, and the
// ticks the game's timer had given then.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Device {
    std::vector<unsigned> axes, buttons;
    bool ended = false;  // read to its end: unplugged
};
std::map<int, Device> pads;  // by descriptor
std::mutex padsLock;

std::vector<unsigned> line(std::istream& in) {
    std::string text;
    std::getline(in, text);
    std::istringstream words(text);
    return {std::istream_iterator<unsigned>(words), std::istream_iterator<unsigned>()};
}

template <typename Function>
Function* next(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    static auto library = next<int(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const auto mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, int) : 0;
    va_end(args);
    const char* folder = getenv("CAVEDOT_TEST_PADS");
    int number = -1;
    if (!folder || (sscanf(path, "/dev/input/js%d", &number) != 1 &&
                    sscanf(path, "/dev/js%d", &number) != 1)) {
        return library(path, flags, mode);
    }
    const std::string device = std::string(folder) + "/js" + std::to_string(number);
    std::ifstream in(device + ".layout");  // a pad not there has no pipe either
    Device scripted{line(in), line(in)};
    const int fd = library(device.c_str(), flags, mode);
    if (fd >= 0) {
        const std::lock_guard<std::mutex> hold(padsLock);
        pads[fd] = scripted;
    }
    return fd;
}

long testTicksBegun();  // preload.cpp

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    static auto library = next<ssize_t(int, void*, size_t)>("read");
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
        fprintf(file, "%ld %ld\n", ++reads, testTicksBegun());
        fclose(file);
        rename((path + ".part").c_str(), path.c_str());
    }
    return got;
}

extern "C" int close(int fd) {
    static auto library = next<int(int)>("close");
    {
        const std::lock_guard<std::mutex> hold(padsLock);
        pads.erase(fd);
    }
    return library(fd);
}

// The requests of the library's driver and the game, answered as Linux does.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    static auto library = next<int(int, unsigned long, ...)>("ioctl");
    va_list args;
    va_start(args, request);
    void* to = va_arg(args, void*);
    va_end(args);
    const std::lock_guard<std::mutex> hold(padsLock);
    const auto pad = pads.find(fd);
    if (pad == pads.end()) {
        return library(fd, request, to);
    }
    const Device& device = pad->second;
    switch (request) {
        case JSIOCGVERSION:
            *static_cast<uint32_t*>(to) = JS_VERSION;
            return 0;
        case JSIOCGAXES:
            *static_cast<uint8_t*>(to) = static_cast<uint8_t>(device.axes.size());
            return 0;
        case JSIOCGBUTTONS:
            *static_cast<uint8_t*>(to) = static_cast<uint8_t>(device.buttons.size());
            return 0;
        case JSIOCGAXMAP:
            std::copy(device.axes.begin(), device.axes.end(), static_cast<uint8_t*>(to));
            return 0;
        case JSIOCGBTNMAP:
            std::copy(device.buttons.begin(), device.buttons.end(), static_cast<uint16_t*>(to));
            return 0;
        default:
            errno = ENOTTY;
            return -1;
    }
}
