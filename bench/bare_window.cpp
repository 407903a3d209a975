// The least an Allegro program does to show a frame in the game's window: it starts
// the library, opens the 640 by 480 window at the game's colour depth and copies
// one frame to it. bench/run times the game's start-up against this one's.
#include <allegro.h>

#include "library.h"

int main() {
    if (!openGameWindow()) {
        return 2;
    }
    BITMAP* frame = create_bitmap(SCREEN_W, SCREEN_H);
    clear_to_color(frame, makecol(100, 99, 100));
    blit(frame, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    destroy_bitmap(frame);
    return 0;
}
END_OF_MAIN()
