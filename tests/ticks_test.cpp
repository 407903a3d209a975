// The tick counter shared by the timer's context and the game loop.
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ticks.h"

namespace {

// Two timers raise the counter flat out for ten seconds while the loop consumes
// it as the game does: every tick raised is processed exactly once.
TEST(Ticks, ConcurrentRaisesAndConsumptionLoseNothing) {
    speed = 0;
    std::atomic<bool> raising{true};
    std::atomic<long> raised{0};
    std::vector<std::thread> timers;
    for (int t = 0; t < 2; ++t) {
        timers.emplace_back([&] {
            long mine = 0;
            while (raising) {
                increment_timer();
                ++mine;
            }
            raised += mine;
        });
    }
    long consumed = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        for (int i = 0; i < 1000; ++i) {
            if (speed > 0) {  // as the game loop consumes: test, then lower by one
                --speed;
                ++consumed;
            }
        }
    }
    raising = false;
    for (std::thread& t : timers) {
        t.join();
    }
    while (speed > 0) {
        --speed;
        ++consumed;
    }
    printf("%ld ticks raised and processed in ten seconds\n", raised.load());
    EXPECT_GT(raised, 1000000);
    EXPECT_EQ(consumed, raised);
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
