// Gamepads, below the game: a pad holds the same keys the keyboard does, so the
// game reads `key` as ever. Each control holds its own keys: the game sees a key
// held while the keyboard or any pad holds it.
#pragma once

#include <allegro.h>

#include <bitset>

#include "pad_device.h"

using Keys = std::bitset<KEY_MAX>;

// What the library alone tells of a pad's layout: its first stick, and the hat
// where the platform names one (Windows' DirectInput: a stick of digital axes alone).
PadLayout firstStickLayout(const JOYSTICK_INFO& pad);

// The keys a pad in this state holds: the arrows its stick or d-pad points to,
// past half its travel, and its buttons' keys.
Keys padHolds(const JOYSTICK_INFO& pad, const PadLayout& layout);

// Reads the pads from now on, if the library finds any; without, nothing changes.
void startPads();
