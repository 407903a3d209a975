#include "game.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "room.h"
#include "ticks.h"

namespace {

// On platforms whose keyboard is not driven by events, `key` only changes when polled.
void pollKeys() {
    if (keyboard_needs_poll()) {
        poll_keyboard();
    }
}

BITMAP* createScreenBitmap() {
    BITMAP* bmp = create_bitmap(SCREEN_W, SCREEN_H);
    if (!bmp) {
        fail("out of memory: cannot create a " + std::to_string(SCREEN_W) + "x" +
             std::to_string(SCREEN_H) + " bitmap");
    }
    return bmp;
}

// The prompt goes straight onto the screen, over the last frame.
void showPrompt() {
    const int white = makecol(255, 255, 255);
    const int black = makecol(0, 0, 0);
    const int x = SCREEN_W / 2 - 10;
    const int y = SCREEN_H / 2;
    textprintf_ex(screen, font, x, y - 10, white, black, "GAME OVER!");
    textprintf_ex(screen, font, x, y, white, black, "Press Escape to quit");
    textprintf_ex(screen, font, x, y + 10, white, black, "Or Space for new game");
}

// Plays one game from its set-up to the end of its main loop.
void playGame(std::vector<monster>& monsters) {
    BITMAP* buffer = createScreenBitmap();
    BITMAP* room = createScreenBitmap();
    makeRoom(room);
    int playerX = SCREEN_W / 2;
    int playerY = SCREEN_H / 2;
    int level = 1;
    bool gameOver = false;

    while (!key[KEY_ESC] && !gameOver) {
        pollKeys();
        while (speed > 0 && !key[KEY_ESC] && !gameOver) {
            if (tick(room, playerX, playerY, monsters)) {
                gameOver = true;
            }
            --speed;
        }
        renderScreen(room, buffer, playerX, playerY, level, monsters);
        if (onExit(room, playerX, playerY)) {
            changeLevel(room, playerX, playerY, level, monsters);
        }
    }
    destroy_bitmap(buffer);
    destroy_bitmap(room);
}

}  // namespace

void fail(const std::string& why) {
    fprintf(stderr, "cavedot: %s\n", why.c_str());
    allegro_message("cavedot: %s\n", why.c_str());
    exit(-1);
}

void play() {
    std::vector<monster> monsters;
    do {
        playGame(monsters);
        deinit();
        showPrompt();
        while (!key[KEY_ESC] && !key[KEY_SPACE]) {
            pollKeys();
        }
        monsters.clear();
    } while (key[KEY_SPACE]);
}

bool tick(BITMAP* room, int& playerX, int& playerY, std::vector<monster>& monsters) {
    movePlayer(room, playerX, playerY);
    bool caught = false;
    for (monster& m : monsters) {
        if (m.logic(playerX, playerY)) {
            caught = true;  // the rest still move in this tick
        }
    }
    return caught;
}

void movePlayer(BITMAP* room, int& playerX, int& playerY) {
    if (key[KEY_UP] && passable(room, playerX, playerY - 1)) {
        --playerY;
    } else if (key[KEY_DOWN] && passable(room, playerX, playerY + 1)) {
        ++playerY;
    }
    if (key[KEY_LEFT] && passable(room, playerX - 1, playerY)) {
        --playerX;
    } else if (key[KEY_RIGHT] && passable(room, playerX + 1, playerY)) {
        ++playerX;
    }
}

bool onExit(BITMAP* room, int playerX, int playerY) {
    return getpixel(room, playerX, playerY) == exitColour();
}

void changeLevel(BITMAP* room, int& playerX, int& playerY, int& level,
                 std::vector<monster>& monsters) {
    ++level;
    makeRoom(room);
    do {
        playerX = rand() % (SCREEN_W - 5);
        playerY = rand() % (SCREEN_H - 5);
    } while (getpixel(room, playerX, playerY) != floorColour());
    monsters.clear();
    for (int i = 0; i < level; ++i) {
        monsters.emplace_back();
    }
}

void renderScreen(BITMAP* room, BITMAP* buffer, int x, int y, int level,
                  const std::vector<monster>& monsters) {
    clear_to_color(buffer, makecol(100, 99, 100));
    masked_blit(room, buffer, 0, 0, 0, 0, buffer->w, buffer->h);
    circlefill(buffer, x - 1, y - 1, 4, makecol(55, 55, 55));
    for (const monster& m : monsters) {
        m.draw(buffer);
    }
    textprintf_ex(buffer, font, 1, 1, makecol(255, 255, 255), -1, "Level: %d", level);
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}
