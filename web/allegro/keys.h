/* The page's keys, for canvas.c: keys_test.c checks them as the library is built. */
#include "allegro.h"

/* The browser's name for each key (KeyboardEvent.code) with the key's scancode,
 * as the desktop's X11 driver gives it on a US keyboard. That driver leaves the
 * Japanese and Brazilian keys to whichever codes are spare; here they take the
 * codes that Allegro names for them, as its Windows driver does. The page sends
 * nothing for a key not listed. */
static const struct page_key {
   const char *code;
   int scancode;
} page_keys[] = {
   {"KeyA", KEY_A}, {"KeyB", KEY_B}, {"KeyC", KEY_C}, {"KeyD", KEY_D}, {"KeyE", KEY_E},
   {"KeyF", KEY_F}, {"KeyG", KEY_G}, {"KeyH", KEY_H}, {"KeyI", KEY_I}, {"KeyJ", KEY_J},
   {"KeyK", KEY_K}, {"KeyL", KEY_L}, {"KeyM", KEY_M}, {"KeyN", KEY_N}, {"KeyO", KEY_O},
   {"KeyP", KEY_P}, {"KeyQ", KEY_Q}, {"KeyR", KEY_R}, {"KeyS", KEY_S}, {"KeyT", KEY_T},
   {"KeyU", KEY_U}, {"KeyV", KEY_V}, {"KeyW", KEY_W}, {"KeyX", KEY_X}, {"KeyY", KEY_Y},
   {"KeyZ", KEY_Z},
   {"Digit0", KEY_0}, {"Digit1", KEY_1}, {"Digit2", KEY_2}, {"Digit3", KEY_3}, {"Digit4", KEY_4},
   {"Digit5", KEY_5}, {"Digit6", KEY_6}, {"Digit7", KEY_7}, {"Digit8", KEY_8}, {"Digit9", KEY_9},
   {"Numpad0", KEY_0_PAD}, {"Numpad1", KEY_1_PAD}, {"Numpad2", KEY_2_PAD}, {"Numpad3", KEY_3_PAD},
   {"Numpad4", KEY_4_PAD}, {"Numpad5", KEY_5_PAD}, {"Numpad6", KEY_6_PAD}, {"Numpad7", KEY_7_PAD},
   {"Numpad8", KEY_8_PAD}, {"Numpad9", KEY_9_PAD},
   {"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"F4", KEY_F4}, {"F5", KEY_F5}, {"F6", KEY_F6},
   {"F7", KEY_F7}, {"F8", KEY_F8}, {"F9", KEY_F9}, {"F10", KEY_F10}, {"F11", KEY_F11},
   {"F12", KEY_F12},
   {"Escape", KEY_ESC}, {"Backquote", KEY_TILDE}, {"Minus", KEY_MINUS}, {"Equal", KEY_EQUALS},
   {"Backspace", KEY_BACKSPACE}, {"Tab", KEY_TAB}, {"BracketLeft", KEY_OPENBRACE},
   {"BracketRight", KEY_CLOSEBRACE}, {"Enter", KEY_ENTER}, {"Semicolon", KEY_COLON},
   {"Quote", KEY_QUOTE}, {"Backslash", KEY_BACKSLASH}, {"IntlBackslash", KEY_BACKSLASH2},
   {"Comma", KEY_COMMA}, {"Period", KEY_STOP}, {"Slash", KEY_SLASH}, {"Space", KEY_SPACE},
   {"Insert", KEY_INSERT}, {"Delete", KEY_DEL}, {"Home", KEY_HOME}, {"End", KEY_END},
   {"PageUp", KEY_PGUP}, {"PageDown", KEY_PGDN}, {"ArrowLeft", KEY_LEFT},
   {"ArrowRight", KEY_RIGHT}, {"ArrowUp", KEY_UP}, {"ArrowDown", KEY_DOWN},
   {"NumpadDivide", KEY_SLASH_PAD}, {"NumpadMultiply", KEY_ASTERISK},
   {"NumpadSubtract", KEY_MINUS_PAD}, {"NumpadAdd", KEY_PLUS_PAD}, {"NumpadDecimal", KEY_DEL_PAD},
   {"NumpadEnter", KEY_ENTER_PAD}, {"NumpadEqual", KEY_EQUALS_PAD},
   {"PrintScreen", KEY_PRTSCR}, {"Pause", KEY_PAUSE},
   {"IntlRo", KEY_ABNT_C1}, {"IntlYen", KEY_YEN}, {"KanaMode", KEY_KANA}, {"Convert", KEY_CONVERT},
   {"NonConvert", KEY_NOCONVERT},
   {"ShiftLeft", KEY_LSHIFT}, {"ShiftRight", KEY_RSHIFT}, {"ControlLeft", KEY_LCONTROL},
   {"ControlRight", KEY_RCONTROL}, {"AltLeft", KEY_ALT}, {"AltRight", KEY_ALTGR},
   {"MetaLeft", KEY_LWIN}, {"MetaRight", KEY_RWIN}, {"ContextMenu", KEY_MENU},
   {"ScrollLock", KEY_SCRLOCK}, {"NumLock", KEY_NUMLOCK}, {"CapsLock", KEY_CAPSLOCK}
};
