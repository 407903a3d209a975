// The tick counter shared by the timer's context and the game loop.
#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ticks.h"

namespace {

TEST(Ticks, ConcurrentRaisesAndConsumptionLoseNothing) {
    speed = 0;
    constexpr int perThread = 200000;
    std::atomic<int> running{2};
    std::vector<std::thread> timers;
    for (int t = 0; t < 2; ++t) {
        timers.emplace_back([&running] {
            for (int i = 0; i < perThread; ++i) {
                increment_timer();
            }
            --running;
        });
    }
    long consumed = 0;
    while (running > 0 || speed > 0) {
        if (speed > 0) {  // as the game loop consumes: test, then lower by one
            --speed;
            ++consumed;
        }
    }
    for (std::thread& t : timers) {
        t.join();
    }
    EXPECT_EQ(consumed, 2L * perThread);
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
