// A pad's state in joy[] to the keys it holds, on pads built by hand as the library's drivers
// fill them in: Linux's pairs its axes into sticks in order (-127..127), Windows' DirectInput
// makes a hat a stick of two digital axes (-128, 0 or 128).
#include <gtest/gtest.h>

#include "pads.h"

namespace {

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
        {pad({-127, 0}), Keys().set(KEY_LEFT)},
        {pad({0, 127}), Keys().set(KEY_DOWN)},
        {pad({-90, -90}), Keys().set(KEY_LEFT).set(KEY_UP)},
        {pad({120, 45}), Keys().set(KEY_RIGHT)},                // 20.6 degrees off the right
        {pad({120, 55}), Keys().set(KEY_RIGHT).set(KEY_DOWN)},  // 24.6 degrees
        {pad({0, 0, 127, 127}), {}}};                           // a second stick
    for (const auto& [state, expected] : cases) {
        EXPECT_EQ(padHolds(state, firstStickLayout(state)), expected)
            << state.stick[0].axis[0].pos << ", " << state.stick[0].axis[1].pos;
    }
    JOYSTICK_INFO hat = pad({0, 0, -128, 128});
    hat.stick[1].flags = JOYFLAG_DIGITAL | JOYFLAG_SIGNED;  // DirectInput's hat
    hat.button[0].b = 1;                                    // no button of it known
    EXPECT_EQ(padHolds(hat, firstStickLayout(hat)), Keys().set(KEY_LEFT).set(KEY_DOWN));
}

#ifdef __linux__
// The game's tests play an Xbox pad's layout; here a throttle before the stick (ABS_THROTTLE,
// ABS_X, ABS_Y), and a d-pad of buttons (BTN_DPAD_UP, _DOWN, _LEFT, _RIGHT) after A and B.
TEST(PadMapping, LinuxNamesTheGamepadsAxesAndButtons) {
    PadLayout dpad;
    ASSERT_TRUE(
        gamepadLayout({0x06, 0x00, 0x01}, {0x130, 0x131, 0x220, 0x221, 0x222, 0x223}, dpad));
    JOYSTICK_INFO state = pad({-127, 127, 0});
    state.button[3].b = 1;
    EXPECT_EQ(padHolds(state, dpad), Keys().set(KEY_RIGHT).set(KEY_DOWN));
    state.button[4].b = 1;
    state.button[1].b = 1;
    EXPECT_EQ(padHolds(state, dpad),
              Keys().set(KEY_LEFT).set(KEY_RIGHT).set(KEY_DOWN).set(KEY_ESC));
}
#endif

}  // namespace
