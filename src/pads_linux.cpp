// Linux's joystick devices, beside the library's driver, which opens the same ones in
// the same order (/dev/input/jsN, else /dev/jsN) but keeps their names to itself.
#define ALLEGRO_NO_KEY_DEFINES  // the library's names for keys are also Linux's
#include <allegro.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "pad_device.h"

Axis libraryAxis(int number) {
    if (number < 0 || number >= 2 * MAX_JOYSTICK_STICKS) {
        return Axis{};
    }
    return Axis{number / 2, number % 2};
}

bool gamepadLayout(const std::vector<uint8_t>& axes, const std::vector<uint16_t>& buttons,
                   PadLayout& layout) {
    layout = PadLayout{};
    for (size_t i = 0; i < axes.size(); ++i) {
        const Axis axis = libraryAxis(static_cast<int>(i));
        layout.stickX = axes[i] == ABS_X ? axis : layout.stickX;
        layout.stickY = axes[i] == ABS_Y ? axis : layout.stickY;
        layout.hatX = axes[i] == ABS_HAT0X ? axis : layout.hatX;
        layout.hatY = axes[i] == ABS_HAT0Y ? axis : layout.hatY;
    }
    // A and Start play again, B and Back (Select) quit, as on the web page.
    const std::pair<int, int> keys[] = {
        {BTN_SOUTH, __allegro_KEY_SPACE},    {BTN_START, __allegro_KEY_SPACE},
        {BTN_EAST, __allegro_KEY_ESC},       {BTN_SELECT, __allegro_KEY_ESC},
        {BTN_DPAD_UP, __allegro_KEY_UP},     {BTN_DPAD_DOWN, __allegro_KEY_DOWN},
        {BTN_DPAD_LEFT, __allegro_KEY_LEFT}, {BTN_DPAD_RIGHT, __allegro_KEY_RIGHT}};
    bool gamepad = false;
    for (size_t i = 0; i < buttons.size() && i < MAX_JOYSTICK_BUTTONS; ++i) {
        gamepad = gamepad || buttons[i] == BTN_SOUTH;
        for (const auto& [code, scancode] : keys) {
            if (buttons[i] == code) {
                layout.buttons.emplace_back(static_cast<int>(i), scancode);
            }
        }
    }
    if (!gamepad) {
        layout = PadLayout{};
    }
    return gamepad;
}

PadDevice::PadDevice(int number) {
    for (const char* folder : {"/dev/input/js", "/dev/js"}) {
        fd_ = open((folder + std::to_string(number)).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            return;
        }
    }
}

PadDevice::~PadDevice() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool PadDevice::layout(PadLayout& layout) const {
    uint8_t axisCount = 0;
    uint8_t buttonCount = 0;
    uint8_t axes[ABS_CNT] = {};
    uint16_t buttons[KEY_MAX - BTN_MISC + 1] = {};
    if (fd_ < 0 || ioctl(fd_, JSIOCGAXES, &axisCount) < 0 ||
        ioctl(fd_, JSIOCGBUTTONS, &buttonCount) < 0 || ioctl(fd_, JSIOCGAXMAP, axes) < 0 ||
        ioctl(fd_, JSIOCGBTNMAP, buttons) < 0) {
        return false;
    }
    return gamepadLayout({axes, axes + std::min<int>(axisCount, ABS_CNT)},
                         {buttons, buttons + std::min<int>(buttonCount, KEY_MAX - BTN_MISC + 1)},
                         layout);
}

// The device reports a hang-up once its pad has gone.
bool PadDevice::unplugged() const {
    pollfd device{fd_, 0, 0};
    return fd_ >= 0 && poll(&device, 1, 0) == 1 && (device.revents & (POLLHUP | POLLERR));
}
