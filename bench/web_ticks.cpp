// The game's main loop in a web page for a number of seconds, on the page's
// timer: ticks raised by the timer, processed by the loop, and still pending,
// and the frames drawn. Built by bench/web-bench (the web_ticks target of the
// web build) and read from its output there.
#include <allegro.h>
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game.h"
#include "library.h"
#include "room.h"
#include "ticks.h"

namespace {

long raised = 0;
void countingTimer() {
    ++raised;
    increment_timer();
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 20;
    if (!openGameWindow() || install_timer() != 0 || install_keyboard() != 0) {
        fprintf(stderr, "web_ticks: %s\n", allegro_error);
        return 2;
    }
    BITMAP* room = create_bitmap(SCREEN_W, SCREEN_H);
    BITMAP* buffer = create_bitmap(SCREEN_W, SCREEN_H);
    srand(1);
    makeRoom(room);
    std::vector<monster> monsters(3);
    int x = SCREEN_W / 2, y = SCREEN_H / 2;
    long processed = 0, frames = 0;
    install_int_ex(countingTimer, BPS_TO_TIMER(140));
    const double start = emscripten_get_now();
    while (emscripten_get_now() - start < seconds * 1000) {
        poll_keyboard();  // as the game's loop does, where the keyboard needs it
        while (speed > 0) {
            tick(room, x, y, monsters);
            --speed;
            ++processed;
        }
        renderScreen(room, buffer, x, y, 3, monsters);
        ++frames;
    }
    remove_int(countingTimer);
    const double elapsed = (emscripten_get_now() - start) / 1000;
    const long pending = speed;
    printf("ticks %.2f/s raised %ld processed %ld pending %ld frames %.0f/s seconds %.2f\n",
           processed / elapsed, raised, processed, pending, frames / elapsed, elapsed);
    return raised == processed + pending ? 0 : 1;
}
