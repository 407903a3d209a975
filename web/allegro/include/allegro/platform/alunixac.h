/* What the desktop build finds by configuring, settled here for Emscripten:
 * a little-endian machine with POSIX headers and constructors, no threads, no
 * X11, no sound and no magic main (the game's own main is the entry). Only
 * 32-bit colour, the one depth the canvas shows: the library's drawing code for
 * the other depths would be most of the download. With constructors, the file
 * loaders, MIDI and the mouse register themselves only when the program uses
 * them, as on the desktop, instead of being linked in by the library's start. */
#define ALLEGRO_COLOR32
#define ALLEGRO_USE_CONSTRUCTOR

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
