#include "support.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdlib>

#include "game.h"
#include "library.h"
#include "room.h"

ShellRecord shell;

// The game's end empties the keyboard buffer (deinit): seen here on its way to the
// library, as the preload sees it in the real program.
extern "C" void clear_keybuf() {
    static const auto library = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "clear_keybuf"));
    library();
    ++shell.gamesEnded;
    if (shell.gamesEnded == shell.releaseSpaceAfter) {
        key[KEY_SPACE] = 0;
    }
    if (shell.gamesEnded == shell.pressEscapeAfter) {
        key[KEY_ESC] = 1;
    }
}

void AllegroWindow::SetUp() {
    ASSERT_TRUE(startLibrary()) << "needs an X display";
    ASSERT_TRUE(openGameWindow()) << allegro_error;
}

HeldKeys::HeldKeys(std::initializer_list<int> scancodes) {
    releaseAll();
    for (int code : scancodes) {
        key[code] = 1;
    }
}

HeldKeys::~HeldKeys() {
    releaseAll();
}

void HeldKeys::releaseAll() {
    for (int code = 0; code < KEY_MAX; ++code) {
        key[code] = 0;
    }
}

Bitmap wallBitmap() {
    Bitmap bmp(create_bitmap(SCREEN_W, SCREEN_H));
    clear_to_color(bmp.get(), wallColour());
    return bmp;
}

bool samePixels(BITMAP* a, BITMAP* b) {
    if (a->w != b->w || a->h != b->h) {
        return false;
    }
    for (int y = 0; y < a->h; ++y) {
        for (int x = 0; x < a->w; ++x) {
            if (getpixel(a, x, y) != getpixel(b, x, y)) {
                return false;
            }
        }
    }
    return true;
}
