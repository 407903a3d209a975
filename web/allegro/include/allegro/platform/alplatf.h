/* Allegro 4.4 for a web page: a Unix-like platform (Emscripten's C library)
 * whose system, screen, keyboard and timer are ours, in canvas.c. */
#define ALLEGRO_UNIX
#define ALLEGRO_NO_ASM
#define ALLEGRO_USE_C
