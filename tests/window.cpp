#include "window.h"

#include <allegro.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "library.h"

int Picture::count(uint32_t colour, int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            n += at(x, y) == colour;
        }
    }
    return n;
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[65536];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
            out.append(chunk, n);
        }
        pclose(pipe);
    }
    return out;
}

// The game's window, looked for until it shows, up to a minute. Each look is a
// search of its own: xdotool ends at its first X error, which a window closing
// while it looks (the last game's, say) gives.
static std::string findWindow() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string window;
    while (window.empty() && std::chrono::steady_clock::now() < end) {
        std::istringstream ids(run("xdotool search --onlyvisible --name '^cavedot$' 2>/dev/null"));
        if (!(ids >> window)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return window;
}

// Sets the game's environment to preload the test library. LD_PRELOAD splits its list at
// spaces, which the build folder's path may hold: the library goes by its name alone, found
// in its folder, which leads the library path.
static void preloadTheTestLibrary() {
    const std::string library = PRELOAD_LIB;
    const size_t slash = library.rfind('/');
    std::string path = library.substr(0, slash);
    if (const char* others = getenv("LD_LIBRARY_PATH"); others && *others) {
        path += std::string(":") + others;
    }
    setenv("LD_LIBRARY_PATH", path.c_str(), 1);
    setenv("LD_PRELOAD", library.substr(slash + 1).c_str(), 1);
}

Game::Game(const Options& options) {
    char name[] = "/tmp/cavedot-errors-XXXXXX";
    const int errorFd = mkstemp(name);
    errorFile_ = name;
    gamesFile_ = errorFile_ + ".games";
    const std::string seed = std::to_string(options.seedTime);
    std::vector<const char*> argv;
    for (const std::string& word : options.wrapper) {
        argv.push_back(word.c_str());
    }
    argv.push_back(CAVEDOT_EXE);
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(errorFd, STDERR_FILENO);
        dup2(errorFd, STDOUT_FILENO);
        preloadTheTestLibrary();
        setenv("CAVEDOT_TEST_TIME", seed.c_str(), 1);
        setenv("CAVEDOT_TEST_GAMES", gamesFile_.c_str(), 1);
        setenv("CAVEDOT_TEST_TICK", (errorFile_ + ".tick").c_str(), 1);
        setenv("CAVEDOT_TEST_DRAWS", options.draws.c_str(), 1);
        setenv("CAVEDOT_TEST_MOVES", (errorFile_ + ".moves").c_str(), 1);
        if (!options.pads.empty()) {
            setenv("CAVEDOT_TEST_PADS", options.pads.c_str(), 1);
        }
        if (!options.display) {
            unsetenv("DISPLAY");
        }
        setenv("CAVEDOT_TEST_REFUSE", options.refuse.c_str(), 1);  // "": none
        const rlimit noCore{0, 0};  // SIGQUIT's default dumps core, here into the build tree
        setrlimit(RLIMIT_CORE, &noCore);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(errorFd);
    if (options.display && options.refuse.empty()) {
        window_ = findWindow();
    }
    if (hasWindow()) {
        // With no window manager the keyboard goes where the pointer is.
        run("xdotool mousemove --window " + window_ + " 320 240");
        waitForFirstFrame();
    }
}

// The window is there before the keyboard is: keys count once a frame shows,
// which the label's bright pixels tell at any colour depth.
void Game::waitForFirstFrame() const {
    for (int tries = 0; tries < 600; ++tries) {  // slow under valgrind
        const Picture picture = grab();
        int bright = 0;
        for (int y = 0; y < 10 && !picture.rgb.empty(); ++y) {
            for (int x = 0; x < 70; ++x) {
                const uint32_t c = picture.at(x, y);
                bright += (c >> 16) > 200 && ((c >> 8) & 0xff) > 200 && (c & 0xff) > 200;
            }
        }
        if (bright >= 20) {
            return;
        }
        pause(0.05);
    }
}

Game::~Game() {
    // The X server's keyboard outlives the game: the next one must not start with keys held.
    keyUp("Escape space Left Right Up Down");
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(errorFile_.c_str());
    unlink(gamesFile_.c_str());
    unlink((errorFile_ + ".tick").c_str());
    unlink((errorFile_ + ".moves").c_str());
}

// The window as a binary PPM: "P6", its width and height, 255, then its pixels' bytes.
Picture Game::grab() const {
    const std::string ppm = run("import -window " + window_ + " -depth 8 ppm:- 2>/dev/null");
    Picture picture;
    int header = 0;
    sscanf(ppm.c_str(), "P6 %d %d 255%*c%n", &picture.w, &picture.h, &header);
    const size_t pixels = static_cast<size_t>(picture.w) * picture.h;
    if (header == 0 || picture.w <= 0 || ppm.size() != header + 3 * pixels) {
        return Picture{};
    }
    picture.rgb.resize(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const auto byte = [&](size_t k) { return static_cast<uint8_t>(ppm[header + 3 * i + k]); };
        picture.rgb[i] = rgb(byte(0), byte(1), byte(2));
    }
    return picture;
}

void Game::keyDown(const std::string& keys) const {
    run("xdotool keydown " + keys);
}
void Game::keyUp(const std::string& keys) const {
    run("xdotool keyup " + keys);
}

int Game::wait(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

int Game::quit(double seconds) {
    keyDown("Escape");
    return wait(seconds);
}

// The number the preload wrote into the file, 0 before it has written one.
static long readNumber(const std::string& path) {
    std::ifstream in(path);
    long number = 0;
    in >> number;
    return number;
}

long Game::gamesEnded() const {
    return readNumber(gamesFile_);
}

std::vector<Game::Step> Game::steps() const {
    std::ifstream in(errorFile_ + ".moves");
    std::vector<Step> all;
    for (Step step{}; in >> step.low >> step.high >> step.x >> step.y;) {
        all.push_back(step);
    }
    return all;
}

long Game::tickPeriod() const {
    return readNumber(errorFile_ + ".tick");
}

// As Linux reports it; -1 when it cannot be read.
long Game::residentKiB() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    std::string field;
    long kib = -1;
    while (in >> field) {
        if (field == "VmRSS:") {
            in >> kib;
        }
    }
    return kib;
}

void Game::signal(int number) const {
    kill(pid_, number);
}

std::string Game::errors() const {
    std::ifstream in(errorFile_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string firstRoomDraws() {
    std::string draws = "0,19,0, 49,49,0,0,40";
    for (int step = 0; step < 18; ++step) {
        draws += ", 0,0,0,0,0";
    }
    return draws + ", 300,200";
}

// Drawn at 32 bits whatever the screen's depth, with the colours each kind of pixel has.
Picture firstRoomFrame() {
    startLibrary();
    BITMAP* bmp = create_bitmap_ex(32, 640, 480);
    clear_to_color(bmp, makecol32(100, 99, 100));  // the background, where walls are
    rectfill(bmp, 320 - 79, 240 - 79, 320 + 79, 240 + 79, makecol32(10, 10, 10));
    rectfill(bmp, 369 - 40, 289 - 40, 369 + 40, 289 + 40, makecol32(10, 10, 10));
    rectfill(bmp, 300 - 6, 200 - 6, 300 + 6, 200 + 6, makecol32(255, 255, 255));
    circlefill(bmp, 319, 239, 4, makecol32(55, 55, 55));  // the player at the centre
    textprintf_ex(bmp, font, 1, 1, makecol32(255, 255, 255), -1, "Level: 1");
    Picture picture{640, 480, {}};
    for (int y = 0; y < bmp->h; ++y) {
        for (int x = 0; x < bmp->w; ++x) {
            const int pixel = getpixel(bmp, x, y);
            picture.rgb.push_back(rgb(getr32(pixel), getg32(pixel), getb32(pixel)));
        }
    }
    destroy_bitmap(bmp);
    return picture;
}
