#include "pads.h"

#include <atomic>
#include <cmath>
#include <memory>

namespace {

// Past half of a stick's travel (the library's 128), as on the web page: a stick at
// rest always drifts a little, and a pushed one is well beyond.
constexpr double deadZone = 64;
constexpr double sinEighthTurn = 0.38268343236508984;  // sin(22.5 degrees)

// A stick pushed (dx, dy) past the dead zone holds each arrow within 67.5 degrees of
// that way: one alone within 22.5 degrees of it, else two, a diagonal.
void point(double dx, double dy, Keys& keys) {
    const double distance = std::hypot(dx, dy);
    if (distance <= deadZone) {
        return;
    }
    const double near = sinEighthTurn * distance;
    keys[KEY_LEFT] = keys[KEY_LEFT] || -dx > near;
    keys[KEY_RIGHT] = keys[KEY_RIGHT] || dx > near;
    keys[KEY_UP] = keys[KEY_UP] || -dy > near;
    keys[KEY_DOWN] = keys[KEY_DOWN] || dy > near;
}

int position(const JOYSTICK_INFO& pad, Axis a) {
    if (a.stick < 0 || a.stick >= pad.num_sticks || a.axis >= pad.stick[a.stick].num_axis) {
        return 0;
    }
    return pad.stick[a.stick].axis[a.axis].pos;
}

// A pad's own record: what it holds, and what it held from the start, which acts only
// once let go.
struct Pad {
    std::unique_ptr<PadDevice> device;
    PadLayout layout;
    Keys held;
    Keys waiting;
    bool gone = false;
};

std::vector<Pad> pads;  // joy[]'s order
Keys keyboard;          // the keys the keyboard holds, as it says of each press and release

// The keyboard's thread and the timer's both set the keys: one at a time. Each holds it
// for a few steps, so the other spins rather than sleeps.
std::atomic_flag busy = ATOMIC_FLAG_INIT;
struct Turn {
    Turn() {
        while (busy.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~Turn() { busy.clear(std::memory_order_release); }
};

// Sets the game's `key` for these keys: held while any control holds it.
void show(const Keys& changed) {
    Keys any = keyboard;
    for (const Pad& pad : pads) {
        any |= pad.held;
    }
    for (int code = 0; code < KEY_MAX; ++code) {
        if (changed[code]) {
            key[code] = any[code] ? -1 : 0;
        }
    }
}

// The library has just set the key as the keyboard has it; a pad may hold it still.
void keyboardChanged(int scancode) {
    const Turn turn;
    const int code = scancode & 0x7f;
    keyboard[code] = !(scancode & 0x80);
    show(Keys().set(code));
}

// On the library's timer, every 5 ms.
void readPads() {
    poll_joystick();
    const Turn turn;
    for (size_t i = 0; i < pads.size(); ++i) {
        Pad& pad = pads[i];
        pad.gone = pad.gone || pad.device->unplugged();
        Keys now = pad.gone ? Keys() : padHolds(joy[i], pad.layout);
        pad.waiting &= now;
        now &= ~pad.waiting;
        const Keys changed = now ^ pad.held;
        pad.held = now;
        show(changed);
    }
}

}  // namespace

PadLayout firstStickLayout(const JOYSTICK_INFO& pad) {
    PadLayout layout;
    if (pad.num_sticks > 0 && pad.stick[0].num_axis >= 2) {
        layout.stickX = Axis{0, 0};
        layout.stickY = Axis{0, 1};
    }
    for (int s = 1; s < pad.num_sticks; ++s) {
        const int flags = pad.stick[s].flags;
        if ((flags & JOYFLAG_DIGITAL) && !(flags & JOYFLAG_ANALOGUE) &&
            pad.stick[s].num_axis == 2) {
            layout.hatX = Axis{s, 0};
            layout.hatY = Axis{s, 1};
        }
    }
    return layout;
}

Keys padHolds(const JOYSTICK_INFO& pad, const PadLayout& layout) {
    Keys keys;
    point(position(pad, layout.stickX), position(pad, layout.stickY), keys);
    point(position(pad, layout.hatX), position(pad, layout.hatY), keys);
    for (const auto& [button, scancode] : layout.buttons) {
        if (button < pad.num_buttons && pad.button[button].b) {
            keys.set(scancode);
        }
    }
    return keys;
}

void startPads() {
    const bool found = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
    allegro_error[0] = '\0';  // none found is no fault of the game's
    if (!found) {
        return;
    }
    {
        const Turn turn;
        for (int i = 0; i < num_joysticks; ++i) {
            Pad pad;
            pad.device = std::make_unique<PadDevice>(i);
            // Off Linux the platform names no control, so this always holds there.
            // cppcheck-suppress knownConditionTrueFalse
            if (!pad.device->layout(pad.layout)) {
                pad.layout = firstStickLayout(joy[i]);
            }
            pad.waiting = padHolds(joy[i], pad.layout);
            pads.push_back(std::move(pad));
        }
        for (int code = 0; code < KEY_MAX; ++code) {
            keyboard[code] = key[code] != 0;
        }
        keyboard_lowlevel_callback = keyboardChanged;
    }
    install_int(readPads, 5);
}

#ifndef __linux__
// Elsewhere the library's word is all there is.
PadDevice::PadDevice(int /*number*/) {}
PadDevice::~PadDevice() = default;
bool PadDevice::layout(PadLayout& /*layout*/) const {
    return false;
}
bool PadDevice::unplugged() const {
    return false;
}
#endif
