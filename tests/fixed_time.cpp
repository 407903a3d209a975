// Loaded into the game by the window tests: its clock reads CAVEDOT_TEST_TIME,
// so the game seeds its rooms from a second the test chose.
#include <cstdlib>
#include <ctime>

extern "C" time_t time(time_t* out) {
    const char* fixed = getenv("CAVEDOT_TEST_TIME");
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t seconds = fixed ? static_cast<time_t>(strtoll(fixed, nullptr, 10)) : now.tv_sec;
    if (out) {
        *out = seconds;
    }
    return seconds;
}
