#include "monster.h"

#include <cstdlib>

monster::monster() {
    x = static_cast<float>(rand() % (SCREEN_W - 10));
    y = static_cast<float>(rand() % (SCREEN_H - 10));
}

bool monster::logic(int px, int py) {
    float nx, ny;
    do {
        const int a = rand();
        const int b = rand();
        const int c = rand();
        const int d = rand();
        const int stepX = (a % 1000) / 100;  // whole pixels, 0 to 9
        const int stepY = (b % 1000) / 100;
        float sx = static_cast<float>(stepX);
        float sy = static_cast<float>(stepY);
        if (c % 2) {
            sx = -sx;
        }
        if (d % 2) {
            sy = -sy;
        }
        nx = x + sx;
        ny = y + sy;
    } while (nx < 0 || nx > SCREEN_W || ny < 0 || ny > SCREEN_H);
    x = nx;
    y = ny;

    const float reach = 4.0f;
    const auto playerX = static_cast<float>(px);
    const auto playerY = static_cast<float>(py);
    return playerX >= x - reach && playerX <= x + reach && playerY >= y - reach &&
           playerY <= y + reach;
}

void monster::draw(BITMAP* bmp) const {
    circlefill(bmp, static_cast<int>(x) - 1, static_cast<int>(y) - 1, 4, makecol(64, 64, 64));
}
