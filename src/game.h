// The game: a fixed-rate simulation of the player and the monsters, drawn as
// fast as the machine allows, game after game until the player quits.
#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "monster.h"

// Runs games one after another until the player quits at the game-over prompt.
void play();

// One logic tick: the player's move from the held arrow keys, then every
// monster's step; true when a monster has caught the player.
bool tick(BITMAP* room, int& playerX, int& playerY, std::vector<monster>& monsters);

// At most one pixel per axis: Up before Down, then Left before Right from the
// row just reached, and only onto floor or exit.
void movePlayer(BITMAP* room, int& playerX, int& playerY);

bool onExit(BITMAP* room, int playerX, int playerY);

// A new room, the player on a random floor pixel and `level` fresh monsters.
void changeLevel(BITMAP* room, int& playerX, int& playerY, int& level,
                 std::vector<monster>& monsters);

// Composes one frame in `buffer` and copies it to the screen.
void renderScreen(BITMAP* room, BITMAP* buffer, int x, int y, int level,
                  const std::vector<monster>& monsters);

// Ends the program with status 255, saying why on standard error and in the
// library's message box: a player who started the game from a menu sees only the box.
[[noreturn]] void fail(const std::string& why);
