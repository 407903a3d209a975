// The tick counter shared by the timer's context and the game loop.
#include <atomic>
#include <climits>
#include <thread>

#include <gtest/gtest.h>

#include "ticks.h"

namespace {

// Two timers raise the counter flat out while the loop consumes it as the game
// does: every tick raised is processed exactly once. A counter whose raise or
// lowering is not atomic loses ticks within a fraction of this.
TEST(Ticks, ConcurrentRaisesAndConsumptionLoseNothing) {
    speed = 0;
    const long each = 10000000;
    std::atomic<int> raising{2};
    const auto raise = [&] {
        for (long i = 0; i < each; ++i) {
            increment_timer();
        }
        --raising;
    };
    std::thread first(raise), second(raise);
    long consumed = 0;
    while (raising > 0 || speed > 0) {
        if (speed > 0) {  // as the game loop consumes: test, then lower by one
            --speed;
            ++consumed;
        }
    }
    first.join();
    second.join();
    EXPECT_EQ(consumed, 2 * each);
    EXPECT_EQ(speed, 0);
}

TEST(Ticks, CounterStopsAtTheLargestInt) {
    speed = INT_MAX - 1;
    increment_timer();
    EXPECT_EQ(speed, INT_MAX);
    increment_timer();
    EXPECT_EQ(speed, INT_MAX);
    speed = 0;
}

}  // namespace
