#include "room.h"

#include <cstdlib>

namespace {

void fillSquare(BITMAP* room, int cx, int cy, int half, int colour) {
    rectfill(room, cx - half, cy - half, cx + half, cy + half, colour);
}

// A square fits when it stays on the bitmap; its right and bottom edge may lie
// one past the last column or row, which clipping then removes.
bool fits(const BITMAP* room, int cx, int cy, int half) {
    return cx + half <= room->w && cx - half >= 0 && cy + half <= room->h && cy - half >= 0;
}

// Up to three half-sizes are drawn, and only the first two are tried.
bool findHalfSize(const BITMAP* room, int cx, int cy, int reach, int& half) {
    for (int tries = 0; tries < 2; ++tries) {
        half = rand() % reach;
        if (fits(room, cx, cy, half)) {
            return true;
        }
    }
    static_cast<void>(rand());  // the third draw is made and thrown away
    return false;
}

// The exit's centre is drawn on floor, never in the last 10 columns or rows.
void placeExit(BITMAP* room) {
    int ex, ey;
    do {
        ex = rand() % (room->w - 10);
        ey = rand() % (room->h - 10);
    } while (getpixel(room, ex, ey) != floorColour());
    fillSquare(room, ex, ey, 6, exitColour());
}

}  // namespace

// A random walk from the screen centre paints floor squares over solid wall;
// a step that finds no room for its square sends the walker back to the centre.
void makeRoom(BITMAP* room) {
    const int floor = floorColour();
    clear_to_color(room, wallColour());

    const int steps = rand() % 100 + 20;
    const int firstHalf = rand() % 20 + 10;
    const int reach = rand() % 50 + 50;

    int cx = SCREEN_W / 2;
    int cy = SCREEN_H / 2;
    fillSquare(room, cx, cy, firstHalf + reach, floor);

    for (int step = 0; step < steps - 1; ++step) {
        int dx = rand() % reach;
        int dy = rand() % reach;
        if (rand() % 2) {
            dx = -dx;
        }
        if (rand() % 2) {
            dy = -dy;
        }
        int half;
        if (findHalfSize(room, cx + dx, cy + dy, reach, half)) {
            fillSquare(room, cx + dx, cy + dy, half, floor);
            cx += dx;
            cy += dy;
        } else {
            cx = SCREEN_W / 2;
            cy = SCREEN_H / 2;
        }
    }
    placeExit(room);
}
