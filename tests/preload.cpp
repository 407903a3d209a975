// Loaded into the real game by the window tests (LD_PRELOAD), to see into it
// without changing it:
//  - CAVEDOT_TEST_TIME fixes the clock the game seeds its rooms from;
//  - CAVEDOT_TEST_GAMES names a file that holds the number of games ended so far,
//    counted where every game's end empties the keyboard buffer.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

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

extern "C" void clear_keybuf() {
    static long games = 0;
    static auto library = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "clear_keybuf"));
    if (library) {
        library();
    }
    ++games;
    if (const char* path = getenv("CAVEDOT_TEST_GAMES")) {
        // Written aside and renamed, so that a reader never sees half a number.
        const std::string part = std::string(path) + ".part";
        if (FILE* file = fopen(part.c_str(), "w")) {
            fprintf(file, "%ld\n", games);
            fclose(file);
            rename(part.c_str(), path);
        }
    }
}
