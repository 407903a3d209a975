// The application's shell beside the game: the tick clock, by which logic runs in
// fixed steps of 140 per second, and the end of a game.
#pragma once

#include <atomic>

// Ticks that have fallen due and have not been processed yet. The timer
// raises it from its own context; the game loop tests it and lowers it.
extern std::atomic<int> speed;

// The timer's callback, 140 times per second: one more tick is due.
void increment_timer();

// Ends a game for the program's shell: empties the keyboard buffer.
void deinit();
