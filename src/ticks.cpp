#include "ticks.h"

#include <allegro.h>

#include <climits>

std::atomic<int> speed{0};

// Nothing consumes ticks while the game-over prompt waits, so the count only
// grows there; it stops at the largest int instead of wrapping to negative.
void increment_timer() {
    int due = speed.load(std::memory_order_relaxed);
    while (due < INT_MAX && !speed.compare_exchange_weak(due, due + 1)) {
    }
}

void deinit() {
    clear_keybuf();
}
