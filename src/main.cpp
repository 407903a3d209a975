// cavedot: steer a dot through random caves to the white exit, away from the monsters.
// The program's entry and its only contact with start-up and the platform.
#include <allegro.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "game.h"
#include "pads.h"
#include "ticks.h"

#ifdef ALLEGRO_WITH_XWINDOWS
#include <X11/XKBlib.h>
#include <xalleg.h>

#include "../res/cavedot.xpm"

extern "C" void* allegro_icon;  // the library's X11 icon, as XPM data
#endif

namespace {

// The library says why when it can (a version mismatch, say); on X11 it says
// nothing when no display can be opened, which is by far the commonest cause.
void failToStart() {
    if (allegro_error[0]) {
        fprintf(stderr, "cavedot: cannot start the Allegro library: %s\n", allegro_error);
        exit(-1);
    }
#ifndef ALLEGRO_WINDOWS
    const char* display = getenv("DISPLAY");
    if (!display || !*display) {
        fprintf(stderr, "cavedot: cannot start: no display could be opened, DISPLAY is not set\n");
    } else {
        fprintf(stderr,
                "cavedot: cannot start: no display could be opened; check that DISPLAY (%s) names "
                "a running X server\n",
                display);
    }
#else
    fprintf(stderr, "cavedot: cannot start the Allegro library\n");
#endif
    exit(-1);
}

// X repeats a held key as a release and a press at once. The library drops such a
// release when the press comes in the same read, but not when the two come apart,
// which on a busy machine happens about once in a few thousand repeats: the key
// then seems let go for a moment. Asked to, the X server repeats with presses alone.
void keepHeldKeysHeld() {
#ifdef ALLEGRO_WITH_XWINDOWS
    XLOCK();  // the library's input thread shares the connection
    XkbSetDetectableAutoRepeat(_xwin.display, True, nullptr);
    XUNLOCK();
#endif
}

// Without its timer the game would stand still; without its keyboard it could be
// neither played nor left. The window is open by now, so the player is told in a box.
void require(int result, const char* what) {
    if (result != 0) {
        fail(std::string("cannot start ") + what + (allegro_error[0] ? ": " : "") + allegro_error);
    }
}

// On X11 the window is the game's own: its class matches the desktop entry, so
// docks and task bars can tell it by its menu entry, and it carries the game's
// icon. The library makes its window when it starts and reads both then, so they
// are set before. The title stays the library's.
void nameWindow() {
#ifdef ALLEGRO_WITH_XWINDOWS
    allegro_icon = static_cast<void*>(const_cast<char**>(cavedot_xpm));
    xwin_set_window_name("cavedot", "cavedot");
#endif
}

void init() {
    nameWindow();
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
        failToStart();
    }
    // Walls are the mask colour only in true colour, so a palette desktop gets 32 bits.
    int depth = desktop_color_depth();
    if (depth == 0 || depth == 8) {
        depth = 32;
    }
    set_color_depth(depth);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) != 0) {
        allegro_message("%s", allegro_error);
        exit(-1);
    }
    srand(static_cast<unsigned>(time(nullptr)));
    require(install_timer(), "the timer");
    require(install_keyboard(), "the keyboard");
    keepHeldKeysHeld();
#ifndef __EMSCRIPTEN__
    startPads();  // the web page reads its pads itself, and hands the game their keys
#endif
    install_int_ex(increment_timer, BPS_TO_TIMER(140));
#ifndef ALLEGRO_WINDOWS
    // The library's handlers for these shut it down inside the signal, under the
    // running game's feet, and can crash doing so. The default ends the process
    // at once (for SIGQUIT, the key Ctrl+\ in a terminal, with a core dump where
    // those are on), and the X server frees the window with the connection.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGQUIT, SIG_DFL);
#endif
}

}  // namespace

int main() {
    init();
    play();
    return 0;
}
END_OF_MAIN()
