// The library brought up as the game brings it up, for the tests and benchmarks
// that draw with the game's own code: the desktop's colour depth (32 bits on a
// palette or unknown one), and the game's 640 by 480 window.
#pragma once

#include <allegro.h>

#include <cerrno>
#include <cstdlib>

// Once per process; false when the library cannot start (no X display).
inline bool startLibrary() {
    static const bool started = [] {
        if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
            return false;
        }
        const int depth = desktop_color_depth();
        set_color_depth(depth == 0 || depth == 8 ? 32 : depth);
        return true;
    }();
    return started;
}

// False, with the library's reason in allegro_error, when the window is refused.
inline bool openGameWindow() {
    return startLibrary() && set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) == 0;
}
