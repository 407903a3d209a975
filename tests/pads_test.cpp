// A pad's state in the library's joy[] to the keys it holds, on pads built by hand as the
// library's drivers fill them in: Linux's pairs its axes into sticks in order (-127..127),
// Windows' DirectInput makes a hat a stick of two digital axes (-128, 0 or 128).
#include <gtest/gtest.h>

#include "pads.h"

namespace {

Keys keys(std::initializer_list<int> codes) {
    Keys held;
    for (int code : codes) {
        held.set(code);
    }
    return held;
}

// `sticks` of two axes each, all analogue as Linux's driver makes them, and 11 buttons.
JOYSTICK_INFO linuxPad(int sticks) {
    JOYSTICK_INFO pad{};
    pad.num_sticks = sticks;
    pad.num_buttons = 11;
    for (int s = 0; s < sticks; ++s) {
        pad.stick[s].flags = JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;
        pad.stick[s].num_axis = 2;
    }
    return pad;
}

TEST(PadMapping, TheFirstStickPointsPastHalfItsTravelOneArrowWithin22Degrees) {
    JOYSTICK_INFO pad = linuxPad(1);
    const PadLayout layout = firstStickLayout(pad);
    const std::pair<std::pair<int, int>, Keys> cases[] = {
        {{0, 0}, {}},
        {{60, -20}, {}},  // drift, 63 from the centre
        {{-127, 0}, keys({KEY_LEFT})},
        {{127, 0}, keys({KEY_RIGHT})},
        {{0, -127}, keys({KEY_UP})},
        {{0, 127}, keys({KEY_DOWN})},
        {{90, 90}, keys({KEY_RIGHT, KEY_DOWN})},
        {{-90, -90}, keys({KEY_LEFT, KEY_UP})},
        {{120, 45}, keys({KEY_RIGHT})},            // 20.6 degrees off the right
        {{120, 55}, keys({KEY_RIGHT, KEY_DOWN})},  // 24.6 degrees
        {{-30, 120}, keys({KEY_DOWN})}};
    for (const auto& [at, expected] : cases) {
        pad.stick[0].axis[0].pos = at.first;
        pad.stick[0].axis[1].pos = at.second;
        EXPECT_EQ(padHolds(pad, layout), expected) << at.first << ", " << at.second;
    }
    pad.button[0].b = 1;  // a pad of unknown layout: no button of it is known
    EXPECT_EQ(padHolds(pad, layout), keys({KEY_DOWN})) << "button 0";
}

TEST(PadMapping, WindowsHatIsTheDpadBesideTheFirstStick) {
    JOYSTICK_INFO pad = linuxPad(2);
    pad.stick[1].flags = JOYFLAG_DIGITAL | JOYFLAG_SIGNED;  // DirectInput's hat
    const PadLayout layout = firstStickLayout(pad);
    pad.stick[1].axis[0].pos = -128;
    pad.stick[1].axis[1].pos = -128;
    EXPECT_EQ(padHolds(pad, layout), keys({KEY_LEFT, KEY_UP}));
    pad.stick[1].axis[0].pos = 0;
    pad.stick[1].axis[1].pos = 128;
    pad.stick[0].axis[0].pos = 127;
    EXPECT_EQ(padHolds(pad, layout), keys({KEY_DOWN, KEY_RIGHT}));
    pad.stick[1].flags = JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;  // Linux's second stick: not a hat
    EXPECT_EQ(padHolds(pad, firstStickLayout(pad)), keys({KEY_RIGHT}));
}

#ifdef __linux__
// The codes of linux/input-event-codes.h, in the order the xpad driver gives an Xbox pad.
const std::vector<uint8_t> xboxAxes = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x10, 0x11};
// ABS_X, ABS_Y, ABS_Z (left trigger), ABS_RX, ABS_RY (right stick), ABS_RZ, ABS_HAT0X, ABS_HAT0Y
const std::vector<uint16_t> xboxButtons = {0x130, 0x131, 0x133, 0x134, 0x136, 0x137,
                                           0x13a, 0x13b, 0x13c, 0x13d, 0x13e};
// BTN_SOUTH (A), BTN_EAST (B), BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT (Back),
// BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR

TEST(PadMapping, LinuxGamepadTriggersAndRightStickMoveNothingItsHatAndButtonsDo) {
    PadLayout layout;
    ASSERT_TRUE(gamepadLayout(xboxAxes, xboxButtons, layout));
    JOYSTICK_INFO pad = linuxPad(4);  // (X, Y), (Z, RX), (RY, RZ), (HAT0X, HAT0Y)
    pad.stick[1].axis[0].pos = -127;  // both triggers at rest
    pad.stick[2].axis[1].pos = -127;
    pad.stick[1].axis[1].pos = 127;  // the right stick pushed right and up
    pad.stick[2].axis[0].pos = -127;
    EXPECT_EQ(padHolds(pad, layout), Keys());
    pad.stick[3].axis[0].pos = -127;  // the d-pad left
    pad.stick[0].axis[1].pos = 127;   // the left stick down
    EXPECT_EQ(padHolds(pad, layout), keys({KEY_LEFT, KEY_DOWN}));
    pad.stick[3].axis[0].pos = 0;
    pad.stick[0].axis[1].pos = 0;
    const std::pair<int, Keys> buttons[] = {{0, keys({KEY_SPACE})},
                                            {7, keys({KEY_SPACE})},
                                            {1, keys({KEY_ESC})},
                                            {6, keys({KEY_ESC})},
                                            {2, {}},
                                            {8, {}}};
    for (const auto& [button, expected] : buttons) {
        pad.button[button].b = 1;
        EXPECT_EQ(padHolds(pad, layout), expected) << "button " << button;
        pad.button[button].b = 0;
    }
}

TEST(PadMapping, LinuxDpadButtonsOrNoGamepadAtAll) {
    // A pad whose d-pad is four buttons (BTN_DPAD_UP, _DOWN, _LEFT, _RIGHT) after A and B,
    // and whose sticks come after a throttle (ABS_THROTTLE, ABS_X, ABS_Y): three sticks,
    // the last of one axis.
    PadLayout layout;
    ASSERT_TRUE(
        gamepadLayout({0x06, 0x00, 0x01}, {0x130, 0x131, 0x220, 0x221, 0x222, 0x223}, layout));
    JOYSTICK_INFO pad = linuxPad(2);
    pad.stick[1].num_axis = 1;
    pad.stick[0].axis[0].pos = -127;  // the throttle at rest
    pad.stick[0].axis[1].pos = 127;   // X, pushed right
    EXPECT_EQ(padHolds(pad, layout), keys({KEY_RIGHT}));
    pad.stick[0].axis[1].pos = 0;
    const int arrows[] = {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT};
    for (int i = 0; i < 4; ++i) {
        pad.button[2 + i].b = 1;
        EXPECT_EQ(padHolds(pad, layout), keys({arrows[i]})) << "button " << 2 + i;
        pad.button[2 + i].b = 0;
    }
    // A flight stick: BTN_TRIGGER and BTN_THUMB, no gamepad's A.
    EXPECT_FALSE(gamepadLayout({0x00, 0x01, 0x06}, {0x120, 0x121}, layout));
}
#endif

}  // namespace
