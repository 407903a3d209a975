/* Checks the page's key table (keys.h) against the Allegro headers that the library is built
 * from. Built and run with the library: a fault fails its build. */
#include <stdio.h>
#include <string.h>

#include "keys.h"

/* Every key the table must hold: its KeyboardEvent.code (UI Events) and Allegro's name for it.
 * A run of names takes keyboard.h's scancodes in order from its first's: KeyX is KEY_X, DigitN
 * KEY_N, NumpadN KEY_N_PAD, FN KEY_FN. The others are runs of one. */
#define KEY(code, name) \
    { #code, 0, 0, KEY_##name }
static const struct {
    const char* format;
    int first, last, scancode;
} names[] = {{"Key%c", 'A', 'Z', KEY_A},
             {"Digit%d", 0, 9, KEY_0},
             {"Numpad%d", 0, 9, KEY_0_PAD},
             {"F%d", 1, 12, KEY_F1},
             KEY(Escape, ESC),
             KEY(Backquote, TILDE),
             KEY(Minus, MINUS),
             KEY(Equal, EQUALS),
             KEY(Backspace, BACKSPACE),
             KEY(Tab, TAB),
             KEY(BracketLeft, OPENBRACE),
             KEY(BracketRight, CLOSEBRACE),
             KEY(Enter, ENTER),
             KEY(Semicolon, COLON),
             KEY(Quote, QUOTE),
             KEY(Backslash, BACKSLASH),
             KEY(IntlBackslash, BACKSLASH2),
             KEY(Comma, COMMA),
             KEY(Period, STOP),
             KEY(Slash, SLASH),
             KEY(Space, SPACE),
             KEY(Insert, INSERT),
             KEY(Delete, DEL),
             KEY(Home, HOME),
             KEY(End, END),
             KEY(PageUp, PGUP),
             KEY(PageDown, PGDN),
             KEY(ArrowLeft, LEFT),
             KEY(ArrowRight, RIGHT),
             KEY(ArrowUp, UP),
             KEY(ArrowDown, DOWN),
             KEY(NumpadDivide, SLASH_PAD),
             KEY(NumpadMultiply, ASTERISK),
             KEY(NumpadSubtract, MINUS_PAD),
             KEY(NumpadAdd, PLUS_PAD),
             KEY(NumpadDecimal, DEL_PAD),
             KEY(NumpadEnter, ENTER_PAD),
             KEY(NumpadEqual, EQUALS_PAD),
             KEY(PrintScreen, PRTSCR),
             KEY(Pause, PAUSE),
             KEY(IntlRo, ABNT_C1),
             KEY(IntlYen, YEN),
             KEY(KanaMode, KANA),
             KEY(Convert, CONVERT),
             KEY(NonConvert, NOCONVERT),
             KEY(ShiftLeft, LSHIFT),
             KEY(ShiftRight, RSHIFT),
             KEY(ControlLeft, LCONTROL),
             KEY(ControlRight, RCONTROL),
             KEY(AltLeft, ALT),
             KEY(AltRight, ALTGR),
             KEY(MetaLeft, LWIN),
             KEY(MetaRight, RWIN),
             KEY(ContextMenu, MENU),
             KEY(ScrollLock, SCRLOCK),
             KEY(NumLock, NUMLOCK),
             KEY(CapsLock, CAPSLOCK)};

/* Each key found in the table at its scancode, which no key before it there has: then the table
 * holds no other if it holds as many. */
int main(void) {
    const size_t keys = sizeof(page_keys) / sizeof(page_keys[0]);
    size_t all = 0, i, j, k;
    char code[16];
    int n, want;

    for (i = 0; i < sizeof(names) / sizeof(names[0]); i++) {
        for (n = names[i].first; n <= names[i].last; n++, all++) {
            snprintf(code, sizeof(code), names[i].format, n); /* a run of one has no number */
            want = names[i].scancode + n - names[i].first;
            for (k = 0; k < keys && strcmp(page_keys[k].code, code); k++)
                continue;
            for (j = 0; j < k && page_keys[j].scancode != want; j++)
                continue;
            if (k == keys || page_keys[k].scancode != want || want <= 0 || want >= KEY_MAX ||
                j < k) {
                fprintf(stderr, "keys.h: %s must be there at scancode %d, alone\n", code, want);
                return 1;
            }
        }
    }
    if (keys != all)
        fprintf(stderr, "keys.h: %zu keys, not %zu\n", keys, all);
    return keys != all;
}
