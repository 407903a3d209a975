// Monsters: points that jitter at random through the walls and catch the
// player who comes within 4 pixels of them on both axes.
#pragma once

#include <allegro.h>

class monster {
  public:
    float x;
    float y;

    // Somewhere on the screen at random, wall or not.
    monster();

    // One random step of up to 9 pixels per axis that keeps the monster on
    // 0..W by 0..H; true when the player at (px, py) is then caught.
    bool logic(int px, int py);

    void draw(BITMAP* bmp) const;
};
