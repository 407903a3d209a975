// A pad's state in joy[] to the keys it holds, on pads built by hand as the library's drivers
// fill them in: Linux's pairs its axes into sticks in order (-127..127), Windows' DirectInput
// makes a hat a stick of two digital axes (-128, 0 or 128).
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

// Sticks of two analogue axes, as Linux's driver makes them, set to `at`, and 11 buttons.
JOYSTICK_INFO pad(std::initializer_list<int> at) {
    JOYSTICK_INFO pad{};
    pad.num_buttons = 11;
    int axis = 0;
    for (int pos : at) {
        JOYSTICK_STICK_INFO& stick = pad.stick[axis / 2];
        stick.flags = JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;
        stick.num_axis = 2;
        stick.axis[axis++ % 2].pos = pos;
    }
    pad.num_sticks = (axis + 1) / 2;
    return pad;
}

TEST(PadMapping, FirstStickPastHalfItsTravelOneArrowWithin22Degrees) {
    const std::pair<JOYSTICK_INFO, Keys> cases[] = {
        {pad({60, -20}), {}},  // drift, 63 from the centre
        {pad({-127, 0}), keys({KEY_LEFT})},
        {pad({0, 127}), keys({KEY_DOWN})},
        {pad({-90, -90}), keys({KEY_LEFT, KEY_UP})},
        {pad({120, 45}), keys({KEY_RIGHT})},            // 20.6 degrees off the right
        {pad({120, 55}), keys({KEY_RIGHT, KEY_DOWN})},  // 24.6 degrees
        {pad({0, 0, 127, 127}), {}}};                   // a second stick
    for (const auto& [state, expected] : cases) {
        EXPECT_EQ(padHolds(state, firstStickLayout(state)), expected)
            << state.stick[0].axis[0].pos << ", " << state.stick[0].axis[1].pos;
    }
    JOYSTICK_INFO hat = pad({0, 0, -128, 128});
    hat.stick[1].flags = JOYFLAG_DIGITAL | JOYFLAG_SIGNED;  // DirectInput's hat
    hat.button[0].b = 1;                                    // no button of it known
    EXPECT_EQ(padHolds(hat, firstStickLayout(hat)), keys({KEY_LEFT, KEY_DOWN}));
}

#ifdef __linux__
TEST(PadMapping, LinuxNamesTheGamepadsAxesAndButtons) {
    // As the xpad driver names an Xbox pad's: ABS_X, ABS_Y, ABS_Z (left trigger), ABS_RX,
    // ABS_RY (right stick), ABS_RZ, ABS_HAT0X, ABS_HAT0Y; BTN_SOUTH (A), BTN_EAST (B),
    // BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT (Back), BTN_START, BTN_MODE.
    PadLayout xbox;
    ASSERT_TRUE(gamepadLayout({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x10, 0x11},
                              {0x130, 0x131, 0x133, 0x134, 0x136, 0x137, 0x13a, 0x13b, 0x13c},
                              xbox));
    // Triggers at rest, the right stick right and up; then the d-pad left, the stick down.
    EXPECT_EQ(padHolds(pad({0, 0, -127, 127, -127, -127, 0, 0}), xbox), Keys());
    EXPECT_EQ(padHolds(pad({0, 127, 0, 0, 0, 0, -127, 0}), xbox), keys({KEY_LEFT, KEY_DOWN}));
    const std::pair<int, Keys> buttons[] = {{0, keys({KEY_SPACE})},
                                            {7, keys({KEY_SPACE})},
                                            {1, keys({KEY_ESC})},
                                            {6, keys({KEY_ESC})},
                                            {2, {}},
                                            {8, {}}};
    for (const auto& [button, expected] : buttons) {
        JOYSTICK_INFO state = pad({0, 0});
        state.button[button].b = 1;
        EXPECT_EQ(padHolds(state, xbox), expected) << "button " << button;
    }
    // A throttle before the stick (ABS_THROTTLE, ABS_X, ABS_Y), a d-pad of buttons
    // (BTN_DPAD_UP, _DOWN, _LEFT, _RIGHT) after A and B.
    PadLayout dpad;
    ASSERT_TRUE(
        gamepadLayout({0x06, 0x00, 0x01}, {0x130, 0x131, 0x220, 0x221, 0x222, 0x223}, dpad));
    JOYSTICK_INFO state = pad({-127, 127, 0});
    state.button[3].b = 1;
    EXPECT_EQ(padHolds(state, dpad), keys({KEY_RIGHT, KEY_DOWN}));
    EXPECT_FALSE(gamepadLayout({0x00, 0x01}, {0x120, 0x121}, dpad)) << "a flight stick";
}
#endif

}  // namespace
