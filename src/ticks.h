// The tick clock: logic runs in fixed steps of 140 per second, counted here.
#pragma once

#include <atomic>

// Ticks that have fallen due and have not been processed yet. The timer
// raises it from its own context; the game loop tests it and lowers it.
extern std::atomic<int> speed;

// The timer's callback, 140 times per second: one more tick is due.
void increment_timer();
