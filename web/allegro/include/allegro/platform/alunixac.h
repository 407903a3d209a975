/* What the desktop build finds by configuring, settled here for Emscripten:
 * every colour depth, a little-endian machine with POSIX headers, no threads,
 * no X11, no sound and no magic main (the game's own main is the entry). */
#define ALLEGRO_COLOR8
#define ALLEGRO_COLOR16
#define ALLEGRO_COLOR24
#define ALLEGRO_COLOR32

#define ALLEGRO_HAVE_DIRENT_H
#define ALLEGRO_HAVE_INTTYPES_H
#define ALLEGRO_HAVE_STDINT_H
#define ALLEGRO_HAVE_SYS_STAT_H
#define ALLEGRO_HAVE_SYS_TIME_H
#define ALLEGRO_HAVE_MEMCMP
#define ALLEGRO_HAVE_MKSTEMP
#define ALLEGRO_HAVE_SYSCONF

#define ALLEGRO_LITTLE_ENDIAN
#define ALLEGRO_NO_ASM
