// Rooms: the world is a picture whose pixel colours say wall, floor or exit.
#pragma once

#include <allegro.h>

inline int wallColour() {
    return makecol(255, 0, 255);
}  // the mask colour: masked copies skip it
inline int floorColour() {
    return makecol(10, 10, 10);
}
inline int exitColour() {
    return makecol(255, 255, 255);
}

// Floor and exit can be walked on; anything else, the edge included, blocks.
inline bool passable(BITMAP* room, int x, int y) {
    const int pixel = getpixel(room, x, y);
    return pixel == floorColour() || pixel == exitColour();
}

// Repaints the whole of `room` with a new random cave and its exit.
void makeRoom(BITMAP* room);
