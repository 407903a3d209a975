// What the in-process tests share: a real 640x480 window to draw in, the
// held keys, and a record of the game ends that the program's shell sees.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

// Starts the library in a real window, as the game does, before any test runs.
class AllegroWindow : public ::testing::Environment {
  public:
    void SetUp() override;
};

// Holds the given keys in the library's `key` array for the life of the object.
class HeldKeys {
  public:
    explicit HeldKeys(const std::vector<int>& scancodes);
    ~HeldKeys();
    static void releaseAll();
};

// The shell's end-of-game hook as the tests see it: counts the games ended and,
// when that count reaches one of these, lets go of Space or presses Escape.
struct ShellRecord {
    int gamesEnded = 0;
    int releaseSpaceAfter = 0;
    int pressEscapeAfter = 0;
};
extern ShellRecord shell;

struct BitmapFree {
    void operator()(BITMAP* bmp) const { destroy_bitmap(bmp); }
};
using Bitmap = std::unique_ptr<BITMAP, BitmapFree>;

// A rectangle of one colour, its corners included.
struct Square {
    int left, top, right, bottom, colour;
};

// A memory bitmap of the screen's size, all wall, then these squares painted in turn.
Bitmap wallBitmap(const std::vector<Square>& squares = {});

// A frame worked out by hand: the background where the room is wall, these squares,
// the player's disc at (x, y), the monsters' discs and the label "Level: N" over all.
Bitmap handFrame(const std::vector<Square>& room, int x, int y,
                 const std::vector<std::pair<int, int>>& monsters, int level);

// True when the two bitmaps hold the same pixels.
bool samePixels(BITMAP* a, BITMAP* b);
