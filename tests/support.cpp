#include "support.h"

#include <dlfcn.h>

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

HeldKeys::HeldKeys(const std::vector<int>& scancodes) {
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

Bitmap wallBitmap(const std::vector<Square>& squares) {
    Bitmap bmp(create_bitmap(SCREEN_W, SCREEN_H));
    clear_to_color(bmp.get(), wallColour());
    for (const Square& s : squares) {
        rectfill(bmp.get(), s.left, s.top, s.right, s.bottom, s.colour);
    }
    return bmp;
}

// The background (100, 99, 100) under all; each disc drawn up and left of its point: the
// player's in (55, 55, 55), a monster's in (64, 64, 64).
Bitmap handFrame(const std::vector<Square>& room, int x, int y,
                 const std::vector<std::pair<int, int>>& monsters, int level) {
    std::vector<Square> squares = {{0, 0, SCREEN_W, SCREEN_H, makecol(100, 99, 100)}};
    squares.insert(squares.end(), room.begin(), room.end());
    Bitmap frame = wallBitmap(squares);
    circlefill(frame.get(), x - 1, y - 1, 4, makecol(55, 55, 55));
    for (auto [mx, my] : monsters) {
        circlefill(frame.get(), mx - 1, my - 1, 4, makecol(64, 64, 64));
    }
    textprintf_ex(frame.get(), font, 1, 1, makecol(255, 255, 255), -1, "Level: %d", level);
    return frame;
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
