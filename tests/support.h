// What the in-process tests share: a real 640x480 window to draw in, the
// held keys, and a record of the game ends that the program's shell sees.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// Starts the library in a real window, as the game does, before any test runs.
class AllegroWindow : public ::testing::Environment {
  public:
    void SetUp() override;
};

// Holds the given keys in the library's `key` array for the life of the object.
class HeldKeys {
  public:
    HeldKeys(std::initializer_list<int> scancodes);
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

// A memory bitmap of the screen's size, all wall.
Bitmap wallBitmap();

// True when the two bitmaps hold the same pixels.
bool samePixels(BITMAP* a, BITMAP* b);
