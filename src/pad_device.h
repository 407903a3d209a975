// A pad's layout, and what the platform tells of a pad beyond the library: kept
// apart from the library's header, whose names for keys are also Linux's.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// An axis of a pad in the library's joy[]: its stick, and its place in that stick.
struct Axis {
    int stick = -1;  // -1: the pad has no such axis
    int axis = 0;
};

// Where a pad's controls lie among its sticks and buttons in joy[].
struct PadLayout {
    Axis stickX, stickY;                       // the left stick
    Axis hatX, hatY;                           // the d-pad, where it is a hat
    std::vector<std::pair<int, int>> buttons;  // a button's number, and the key it holds
};

// Axis `number` of a pad as the library keeps it: it pairs the axes into sticks
// in order, a last odd one a stick of its own, and keeps five sticks at most.
Axis libraryAxis(int number);

// A gamepad's layout from the names that Linux's joystick device gives each of its
// axes (ABS_ codes) and buttons (BTN_ codes), false where it does not name a
// gamepad's (no BTN_SOUTH, its A).
bool gamepadLayout(const std::vector<uint8_t>& axes, const std::vector<uint16_t>& buttons,
                   PadLayout& layout);

// What the platform tells of pad `number` beyond the library (Linux's joystick
// device): its layout, where it names one, and whether it is still plugged in.
class PadDevice {
  public:
    explicit PadDevice(int number);
    ~PadDevice();
    PadDevice(const PadDevice&) = delete;
    PadDevice& operator=(const PadDevice&) = delete;
    bool layout(PadLayout& layout) const;
    bool unplugged() const;

  private:
    int fd_ = -1;
};
