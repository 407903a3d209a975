/* Checks the platform's lazy memory bitmaps (canvas.c) against pictures worked out by hand:
 * frames made as the game makes them, a clear and its room masked over it, then a dot on top.
 * Built and run with the library: a fault fails its build. */
#include <allegro.h>
#include <stdio.h>

#define W 8
#define H 6
#define WALL 0xFF00FF /* the mask colour */
#define GREY 0x646364
#define FLOOR 0x102030
#define DOT 0x373737

static BITMAP *room, *frame;
static int wall_x = -1, wall_y = -1; /* a wall put into the room's floor, if any */
static int failures;

/* The room: floor from (1, 1) to (6, 4), but the wall put in; wall all round. */
static int room_pixel(int x, int y) {
    const int floor = x >= 1 && x <= 6 && y >= 1 && y <= 4 && (x != wall_x || y != wall_y);

    return floor ? FLOOR : WALL;
}

/* A frame with the dot at (dot_x, dot_y): each pixel the room's, its wall grey, but the dot. */
static void check_frame(const char *what, int dot_x, int dot_y) {
    int x, y, want;

    clear_to_color(frame, GREY);
    masked_blit(room, frame, 0, 0, 0, 0, W, H);
    putpixel(frame, dot_x, dot_y, DOT);
    for (y = 0; y < H; y++) {
        for (x = 0; x < W; x++) {
            want = x == dot_x && y == dot_y ? DOT : room_pixel(x, y) == WALL ? GREY : FLOOR;
            if (getpixel(frame, x, y) != want) {
                fprintf(stderr, "lazy_test: %s: (%d, %d) is %06X, not %06X\n", what, x, y,
                        getpixel(frame, x, y), want);
                failures++;
                return;
            }
        }
    }
}

int main(void) {
    if (install_allegro(SYSTEM_AUTODETECT, NULL, NULL) != 0)
        return 1;
    room = create_bitmap_ex(32, W, H);
    frame = create_bitmap_ex(32, W, H);
    clear_to_color(room, WALL);
    rectfill(room, 1, 1, 6, 4, FLOOR);
    check_frame("the first frame", 1, 1);
    check_frame("the dot moved on: floor where it stood", 2, 4);
    wall_x = 3;
    wall_y = 2;
    putpixel(room, wall_x, wall_y, WALL);
    check_frame("a wall put into the room, without a clear", 2, 4);
    clear_to_color(room, FLOOR);
    if (getpixel(room, 0, 0) != FLOOR) {
        fprintf(stderr, "lazy_test: a clear is not read back\n");
        failures++;
    }
    return failures > 0;
}
END_OF_MAIN()
