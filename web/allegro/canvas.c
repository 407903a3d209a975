/* Allegro 4.4's platform in a web page (Emscripten): the system, a screen
 * shown on the page's <canvas>, the keyboard from the browser's key events and
 * the timer from the elapsed time. Drawing stays Allegro's own: the screen is
 * a linear bitmap in memory, and what changes on it is copied onto the canvas.
 *
 * A page's code must give the browser its turn regularly. With Asyncify the
 * program waits for the next animation frame where it already calls the
 * library: after each blit onto the screen (a frame), and in poll_keyboard()
 * when nothing was blitted since the last poll (a loop that only waits for a
 * key). Such a loop, once its picture is shown and the keys are quiet, rests:
 * it waits for a key event instead, or 100 ms at most. Key events reach key[]
 * in poll_keyboard(), and the timer's callbacks run there and after each wait,
 * with all the time that has passed. */
#include <emscripten.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "keys.h"

#define CANVAS_ID AL_ID('C', 'N', 'V', 'S')

/* ---------------------------------------------------------------- browser */

/* Once main has waited, its return comes out of a resumed call that the runtime
 * does not take for the program's end, and Asyncify has kept the runtime alive
 * past main: web_wait hands that return here, which ends the program, so that
 * atexit functions run and the page's Module.onExit hears of it. */
EMSCRIPTEN_KEEPALIVE void web_end(int status)
{
   emscripten_force_exit(status);
}

/* Resolves at the next animation frame or, for_a_key, at the next key event
 * (at once if one is waiting) or when the page calls Module.alWake (it does when
 * it changes the colours), and after 100 ms at most: a hidden tab gets no
 * animation frames (nor timeouts more often than once a second). */
EM_ASYNC_JS(void, web_wait, (int for_a_key), {
   if (!Module.alEnd) {
      Module.alEnd = Asyncify.whenDone().then(status => {
         try {
            _web_end(status);
         } catch (e) {
            if (!(e instanceof ExitStatus)) throw e; /* an exit leaves by throwing ExitStatus */
         }
      });
   }
   if (for_a_key && Module.alKeys.length) return;
   await new Promise(resolve => {
      let frame = 0, timer = 0;
      const go = () => {
         cancelAnimationFrame(frame);
         clearTimeout(timer);
         Module.alWake = null;
         resolve();
      };
      if (for_a_key) Module.alWake = go; else frame = requestAnimationFrame(go);
      timer = setTimeout(go, 100);
   });
});

EM_JS(void, web_open_canvas, (int w, int h), {
   const canvas = Module['canvas'];
   canvas.width = w;
   canvas.height = h;
   Module.alContext = canvas.getContext('2d');
   /* A canvas whose context was lost comes back blank, and a picture puts only what changed:
    * the last picture goes onto it whole, while this program has the canvas. */
   canvas.alShows = Module;
   canvas.addEventListener('contextrestored', () => {
      if (canvas.alShows === Module && Module.alPicture) {
         Module.alContext.putImageData(Module.alPicture, 0, 0);
      }
   });
});

/* The colours the page asks the screen to be shown in: Module['colours'], pairs
 * [the screen's colour, the canvas's], each 0xRRGGBB; any other colour is shown
 * as it is. Read afresh for each picture, so that a change shows in the next. */
EM_JS(int, web_colours, (uint32_t *from, uint32_t *to, int most), {
   const pairs = Module['colours'] || [];
   const n = Math.min(pairs.length, most);
   for (let i = 0; i < n; i++) {
      HEAPU32[(from >> 2) + i] = pairs[i][0];
      HEAPU32[(to >> 2) + i] = pairs[i][1];
   }
   return n;
});

/* The rectangles of a picture (n of them, x, y, w and h each) onto the canvas, from the whole
 * picture in the canvas's pixels (rgba): all in one turn of the page, so the browser never shows
 * a picture half drawn. Its view onto memory is made again only when memory has grown. */
EM_JS(void, web_show, (const void *rgba, int w, int h, const int *rects, int n), {
   let picture = Module.alPicture;
   if (!picture || picture.data.buffer !== HEAPU8.buffer) {
      const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
      picture = Module.alPicture = new ImageData(pixels, w, h);
   }
   for (let i = rects >> 2; i < (rects >> 2) + 4 * n; i += 4) {
      Module.alContext.putImageData(picture, 0, 0, HEAP32[i], HEAP32[i + 1], HEAP32[i + 2],
                                    HEAP32[i + 3]);
   }
});

/* A key by the browser's name for it, and its scancode (page_keys, keys.h): each is
 * given before the listeners start. */
EM_JS(void, web_map_key, (const char *code, int scancode), {
   (Module.alScancodes = Module.alScancodes || new Map()).set(UTF8ToString(code), scancode);
});

/* Key presses and releases wait in a queue until the program polls. Each is
 * the key's scancode, its character above bit 8, and bit 24 set for a press.
 * A key is held while any control holds it: the keyboard, or one of the page's
 * own (touch, each gamepad), whose events say which by their `control`. It is
 * pressed when the first takes it and released when the last lets go. Once
 * listening, the page's Module.onListening hears of it: its controls' holds
 * are sent again to this program. */
EM_JS(void, web_listen_to_keys, (void), {
   const scancodes = Module.alScancodes;
   const controls = {Escape: 27, Enter: 13, Backspace: 8, Tab: 9};
   const queue = Module.alKeys = [];
   const holders = new Map(); /* a held key's scancode: the controls that hold it */
   /* At the window, so that the keys reach the game wherever the focus is on the
    * page; the page's controls send their events there. One controller takes
    * every listener away again when the program ends. */
   const listening = Module.alListening = new AbortController();
   const options = {signal: listening.signal};
   const wake = () => Module.alWake && Module.alWake();
   const letGo = (scancode, control) => {
      const by = holders.get(scancode);
      if (!by || !by.delete(control) || by.size) return;
      holders.delete(scancode);
      queue.push(scancode);
      wake();
   };
   window.addEventListener('keydown', e => {
      const scancode = scancodes.get(e.code);
      if (!scancode || e.repeat) return;
      const by = holders.get(scancode) || new Set();
      if (!by.size) {
         const ascii = e.key.length === 1 ? e.key.charCodeAt(0) : controls[e.key] || 0;
         holders.set(scancode, by);
         queue.push(1 << 24 | ascii << 8 | scancode);
         wake();
      }
      by.add(e.control || 'keyboard');
   }, options);
   window.addEventListener('keyup', e => {
      letGo(scancodes.get(e.code), e.control || 'keyboard');
   }, options);
   /* Keys released in another window never come back as events: the keyboard
    * lets go of all now. The page's controls let go of their own. */
   window.addEventListener('blur', () => {
      for (const scancode of [...holders.keys()]) letGo(scancode, 'keyboard');
   }, options);
   if (Module['onListening']) Module['onListening']();
});

EM_JS(void, web_stop_listening, (void), {
   Module.alListening.abort();
});

EM_JS(int, web_next_key, (void), {
   const queue = Module.alKeys;
   return queue && queue.length ? queue.shift() : -1;
});

/* Emscripten 3.1.35 and later include UTF8ToString only for code that asks. */
#ifdef EM_JS_DEPS
EM_JS_DEPS(canvas, "$UTF8ToString");
#endif

EM_JS(void, web_message, (const char *text), {
   (Module['printErr'] || console.error)(UTF8ToString(text));
});

/* ------------------------------------------------------------------ timer */

static int timer_running = FALSE;
static double timer_start;   /* ms, the page's clock */
static long long timer_given; /* timer units handed to the callbacks so far */

/* Every unit of time since the timer started is handed over exactly once, so
 * each callback runs as often as its periods have passed: none lost, none twice. */
static void timer_catch_up(void)
{
   long long due;

   if (!timer_running)
      return;
   due = (long long)((emscripten_get_now() - timer_start) * (TIMERS_PER_SECOND / 1000.0));
   while (due > timer_given) {
      long long step = due - timer_given;
      if (step > 0x1000000)
         step = 0x1000000;
      timer_given += step;
      _handle_timer_tick((int)step);
   }
}

static int timer_init(void)
{
   timer_start = emscripten_get_now();
   timer_given = 0;
   timer_running = TRUE;
   return 0;
}

static void timer_exit(void)
{
   timer_running = FALSE;
}

/* Without install_int, the library keeps the callbacks and runs them from
 * _handle_timer_tick(). */
static TIMER_DRIVER timer_canvas = {
   .id = CANVAS_ID, .name = empty_string, .desc = empty_string, .ascii_name = "Page clock",
   .init = timer_init, .exit = timer_exit
};

/* --------------------------------------------------------- memory bitmaps */

/* A frame of the game is its room again, masked over a background colour, with a few small
 * things on top: each frame clears a screen-sized bitmap, masks the room over it and draws the
 * rest. Done plainly, that is two passes over every pixel of the screen a frame, though the room
 * rarely changes. Our 32-bit memory bitmaps are lazy instead: a clear of the whole bitmap is only
 * noted, and a masked blit of a whole bitmap onto one with a clear noted composes only the rows
 * that can differ from what the bitmap held after the last such blit of the same source over the
 * same colour: the rows drawn on since. Blitted whole onto the screen again, such a bitmap has
 * only the rows it changed since compared with the screen.
 *
 * The library reaches a memory bitmap's rows through its read_bank and write_bank hooks in
 * clear_to_color, blit, masked_blit, getpixel, putpixel, hline/hfill (and so rectfill, circlefill
 * and the rest of the shapes) and draw_glyph (text in the library's own font): those hooks note
 * which rows change, and carry out a noted clear before anything else. That is all this game
 * draws its memory bitmaps with. What they do not see: a program's own use of bmp->line[], and
 * the library's sprite routines (draw_sprite and the like, stretch_blit, rotations), which read
 * their sprite's rows and write a memory bitmap's rows directly. This game uses neither on these
 * bitmaps, and this platform assumes a program does not. */

/* What the platform knows of one of its memory bitmaps (its `extra`). */
struct lazy {
   BITMAP *bmp;
   struct lazy *next;        /* all of them, to forget a destroyed one wherever it is a source */
   uint64_t generation;      /* counts the changes to the bitmap: its content's version */
   int clear_noted;          /* whether the bitmap is to be all clear_colour before anything */
   int clear_colour;
   /* Unless composed_from is NULL, the bitmap holds composed_from, as it was at that bitmap's
    * generation composed_generation, masked over composed_colour, but in its rows touched. */
   struct lazy *composed_from;
   uint64_t composed_generation;
   int composed_colour;
   unsigned char *rows;      /* a row each: ROW_TOUCHED, ROW_UNSHOWN */
};

#define ROW_TOUCHED 1 /* written since the last compose */
#define ROW_UNSHOWN 2 /* changed since the bitmap was last blitted whole onto the screen */

static struct lazy *lazy_bitmaps;
/* The bitmap last blitted whole onto the screen, while the screen still holds it but in the rows
 * it changed since (ROW_UNSHOWN), or NULL. */
static struct lazy *on_screen;
static GFX_VTABLE lazy_vtable;   /* the 32-bit vtable, with clear_to_color and masked_blit ours */
static GFX_VTABLE *plain_vtable; /* the library's own */

/* The platform's record of bmp, NULL for bitmaps that are not lazy (the screen, sub-bitmaps,
 * other depths). */
static struct lazy *lazy_of(BITMAP *bmp)
{
   return bmp->vtable == &lazy_vtable ? bmp->extra : NULL;
}

/* The noted clear, done now: something is about to read or write the bitmap's rows. */
static void carry_out_clear(struct lazy *lazy)
{
   BITMAP *bmp = lazy->bmp;
   const uint32_t colour = lazy->clear_colour;
   int x, y;

   lazy->clear_noted = FALSE;
   lazy->composed_from = NULL;
   lazy->generation++;
   for (y = 0; y < bmp->h; y++) {
      uint32_t *row = (uint32_t *)bmp->line[y];

      lazy->rows[y] |= ROW_UNSHOWN;
      for (x = 0; x < bmp->w; x++)
         row[x] = colour;
   }
}

static uintptr_t lazy_read_line(BITMAP *bmp, int y)
{
   struct lazy *lazy = bmp->extra;

   if (lazy->clear_noted)
      carry_out_clear(lazy);
   return (uintptr_t)bmp->line[y];
}

static uintptr_t lazy_write_line(BITMAP *bmp, int y)
{
   struct lazy *lazy = bmp->extra;

   if (lazy->clear_noted)
      carry_out_clear(lazy);
   lazy->rows[y] = ROW_TOUCHED | ROW_UNSHOWN;
   lazy->generation++;
   return (uintptr_t)bmp->line[y];
}

/* Makes sure the bitmap's rows hold what the program drew, for code that reads them directly. */
static void settle(BITMAP *bmp)
{
   struct lazy *lazy = lazy_of(bmp);

   if (lazy && lazy->clear_noted)
      carry_out_clear(lazy);
}

/* A clear of the whole bitmap is noted; one within a clipping rectangle is done. */
static void lazy_clear_to_color(BITMAP *bmp, int colour)
{
   struct lazy *lazy = bmp->extra;

   if (bmp->cl != 0 || bmp->ct != 0 || bmp->cr != bmp->w || bmp->cb != bmp->h) {
      plain_vtable->clear_to_color(bmp, colour);
      return;
   }
   lazy->clear_noted = TRUE;
   lazy->clear_colour = colour;
}

/* Row y of dst: src's row with its mask pixels in the colour. */
static void compose_row(BITMAP *src, BITMAP *dst, int y, uint32_t colour)
{
   const uint32_t mask = bitmap_mask_color(dst);
   const uint32_t *from = (const uint32_t *)src->line[y];
   uint32_t *to = (uint32_t *)dst->line[y];
   int x;

   for (x = 0; x < dst->w; x++)
      to[x] = from[x] == mask ? colour : from[x];
}

/* The whole of src masked over dst's noted clear: of dst, only the rows that can differ from the
 * last time are composed, or all of them in one pass (the clear's and the blit's). */
static void compose(struct lazy *src, struct lazy *dst)
{
   const int colour = dst->clear_colour;
   const int again = dst->composed_from == src &&
      dst->composed_generation == src->generation && dst->composed_colour == colour;
   int y;

   for (y = 0; y < dst->bmp->h; y++) {
      if (!again || (dst->rows[y] & ROW_TOUCHED)) {
         compose_row(src->bmp, dst->bmp, y, colour);
         dst->rows[y] = ROW_UNSHOWN;
      }
   }
   dst->clear_noted = FALSE;
   dst->composed_from = src;
   dst->composed_generation = src->generation;
   dst->composed_colour = colour;
   dst->generation++;
}

/* Called clipped already. Anything but a whole bitmap onto a whole one of the same size with a
 * clear noted is the library's own blit, which the hooks see. */
static void lazy_masked_blit(BITMAP *src, BITMAP *dst, int s_x, int s_y, int d_x, int d_y, int w,
                             int h)
{
   struct lazy *from = lazy_of(src), *to = dst->extra;

   if (from && from != to && to->clear_noted && s_x == 0 && s_y == 0 && d_x == 0 && d_y == 0 &&
       w == dst->w && h == dst->h && w == src->w && h == src->h) {
      settle(src);
      compose(from, to);
      return;
   }
   plain_vtable->masked_blit(src, dst, s_x, s_y, d_x, d_y, w, h);
}

/* Each new 32-bit memory bitmap is made lazy; should that fail, it stays as the library made it. */
static void lazy_created_bitmap(BITMAP *bmp)
{
   struct lazy *lazy;

   if (bitmap_color_depth(bmp) != 32 || bmp->h <= 0)
      return;
   lazy = calloc(1, sizeof(*lazy));
   if (lazy)
      lazy->rows = calloc(bmp->h, 1);
   if (!lazy || !lazy->rows) {
      free(lazy);
      return;
   }
   if (!plain_vtable) {
      plain_vtable = bmp->vtable;
      lazy_vtable = *plain_vtable;
      lazy_vtable.clear_to_color = lazy_clear_to_color;
      lazy_vtable.masked_blit = lazy_masked_blit;
   }
   lazy->bmp = bmp;
   lazy->next = lazy_bitmaps;
   lazy_bitmaps = lazy;
   bmp->extra = lazy;
   bmp->vtable = &lazy_vtable;
   bmp->read_bank = lazy_read_line;
   bmp->write_bank = lazy_write_line;
}

/* The bitmap is the library's own again, and forgotten as any other's source. */
static void make_plain(BITMAP *bmp)
{
   struct lazy *lazy = bmp->extra, **link, *other;

   for (link = &lazy_bitmaps; *link != lazy; link = &(*link)->next) {
   }
   *link = lazy->next;
   for (other = lazy_bitmaps; other; other = other->next) {
      if (other->composed_from == lazy)
         other->composed_from = NULL;
   }
   if (on_screen == lazy)
      on_screen = NULL;
   free(lazy->rows);
   free(lazy);
   bmp->extra = NULL;
   bmp->vtable = plain_vtable;
   bmp->read_bank = bmp->write_bank = _stub_bank_switch;
}

/* A sub-bitmap writes its parent's rows as a bitmap of its own: parent and child are plain. */
static void lazy_created_sub_bitmap(BITMAP *bmp, BITMAP *parent)
{
   if (!lazy_of(parent))
      return;
   bmp->vtable = plain_vtable;
   bmp->read_bank = bmp->write_bank = _stub_bank_switch;
   settle(parent);
   make_plain(parent);
}

/* The library frees the bitmap itself (FALSE). */
static int lazy_destroy_bitmap(BITMAP *bmp)
{
   if (lazy_of(bmp))
      make_plain(bmp);
   return FALSE;
}

/* ----------------------------------------------------------------- screen */

static uint32_t *screen_pixels; /* the screen bitmap's memory, 0x00RRGGBB */
static uint32_t *canvas_pixels; /* the last picture as the canvas has it: R, G, B, A bytes */
static int screen_w, screen_h;

/* Of each row of the screen, the columns [from, to) that may have changed since the last
 * picture (none where from >= to): only those are turned into the canvas's pixels, and of
 * them only those that did change go onto the canvas. */
struct span {
   int from, to;
};
static struct span *maybe_changed;

/* The page's colours of the last picture, whose change repaints the whole screen. */
static uint32_t shown_from[16], shown_to[16];
static int shown_colours = -1;

/* The rectangles of the picture that changed, x, y, w and h each: rows that changed one after
 * another make one, the columns of them all. So many would cost more than they save: past
 * that, the last one grows to take in the rest. */
#define MOST_RECTANGLES 16
static int changed_rects[MOST_RECTANGLES][4];

/* A program starts as the browser has just had its turn: its first poll goes
 * on at once, rather than show the black screen and wait an animation frame
 * before the program draws its first frame. */
static int blitted_since_poll = TRUE;
static int key_at_last_poll = FALSE;

static void may_have_changed(int y, int from, int to)
{
   struct span *row = &maybe_changed[y];

   if (from < row->from)
      row->from = from;
   if (to > row->to)
      row->to = to;
}

static void all_may_have_changed(void)
{
   int y;

   for (y = 0; y < screen_h; y++)
      may_have_changed(y, 0, screen_w);
}

/* Every drawing onto the screen but a blit (below) asks here for the address of each line it
 * writes: the line may have changed. */
static uintptr_t screen_write_line(BITMAP *bmp, int y)
{
   on_screen = NULL;  /* the screen now holds something else there */
   may_have_changed(y + bmp->y_ofs, 0, screen_w);
   return (uintptr_t)bmp->line[y];
}

/* A pixel of the screen as the canvas shows it, in the page's colours. */
static uint32_t canvas_colour(uint32_t p, const uint32_t *from, const uint32_t *to, int colours)
{
   int i;

   for (i = 0; i < colours; i++) {
      if (p == from[i]) {
         p = to[i];
         break;
      }
   }
   return 0xFF000000 | (p & 0x00FF00) | ((p >> 16) & 0xFF) | ((p & 0xFF) << 16);
}

/* The page's colours, read afresh for each picture: when they change, every pixel may. */
static void read_colours(void)
{
   uint32_t from[16], to[16];
   const int colours = web_colours(from, to, 16);

   if (colours == shown_colours && !memcmp(from, shown_from, colours * sizeof(from[0])) &&
       !memcmp(to, shown_to, colours * sizeof(to[0])))
      return;
   shown_colours = colours;
   memcpy(shown_from, from, sizeof(from));
   memcpy(shown_to, to, sizeof(to));
   all_may_have_changed();
}

/* Turns columns [from, to) of row y into the canvas's pixels; gives the columns that changed
 * as [*first, *last), empty if none. A frame is long runs of a few colours: each run is looked
 * up once. */
static void convert_row(int y, int from, int to, int *first, int *last)
{
   const uint32_t *screen_row = screen_pixels + y * screen_w;
   uint32_t *canvas_row = canvas_pixels + y * screen_w;
   uint32_t p = screen_row[from], c = canvas_colour(p, shown_from, shown_to, shown_colours);
   int x;

   *first = to;
   *last = from;
   for (x = from; x < to; x++) {
      if (screen_row[x] != p) {
         p = screen_row[x];
         c = canvas_colour(p, shown_from, shown_to, shown_colours);
      }
      if (canvas_row[x] != c) {
         canvas_row[x] = c;
         if (x < *first)
            *first = x;
         *last = x + 1;
      }
   }
}

/* Takes row y's changed columns [first, last) into the rectangles; gives their count. */
static int add_to_rectangles(int n, int y, int first, int last)
{
   int *r = changed_rects[n ? n - 1 : 0];

   if (n == 0 || (r[1] + r[3] < y && n < MOST_RECTANGLES)) {
      r = changed_rects[n++];
      r[0] = first;
      r[1] = y;
      r[2] = last - first;
      r[3] = 1;
      return n;
   }
   if (first < r[0]) {
      r[2] += r[0] - first;
      r[0] = first;
   }
   if (last > r[0] + r[2])
      r[2] = last - r[0];
   r[3] = y + 1 - r[1];
   return n;
}

/* The picture: what changed on the screen since the last one goes onto the canvas, all at
 * once. Says whether anything changed. */
static int show_picture(void)
{
   int y, first, last, n = 0;

   read_colours();
   for (y = 0; y < screen_h; y++) {
      struct span *row = &maybe_changed[y];

      if (row->from >= row->to)
         continue;
      convert_row(y, row->from, row->to, &first, &last);
      row->from = screen_w;
      row->to = 0;
      if (first < last)
         n = add_to_rectangles(n, y, first, last);
   }
   if (n)
      web_show(canvas_pixels, screen_w, screen_h, &changed_rects[0][0], n);
   return n > 0;
}

/* The browser's turn: the program goes on at the next animation frame. */
static void give_the_browser_its_turn(void)
{
   web_wait(FALSE);
   timer_catch_up();
}

/* A rest while the picture stands and the keys are quiet: the program goes on
 * at the next key event, or after 100 ms. */
static void rest_until_a_key(void)
{
   web_wait(TRUE);
   timer_catch_up();
}

/* Whether 8 pixels from a and b are the same: 32 bytes at once, which WebAssembly without
 * vectors compares faster than a pixel at a time. */
static int same_8_pixels(const uint32_t *a, const uint32_t *b)
{
   uint64_t p[4], q[4];

   memcpy(p, a, sizeof(p));
   memcpy(q, b, sizeof(q));
   return !((p[0] ^ q[0]) | (p[1] ^ q[1]) | (p[2] ^ q[2]) | (p[3] ^ q[3]));
}

/* A blit onto the screen ends a frame. A frame is mostly the last one again: of each line,
 * only the columns from the first that differs to the last are copied; and of a lazy bitmap
 * blitted whole again, only the rows it changed since are compared. */
static void screen_blit_from_memory(BITMAP *src, BITMAP *dest, int s_x, int s_y, int d_x,
                                    int d_y, int w, int h)
{
   struct lazy *lazy = lazy_of(src);
   const int whole = lazy && s_x == 0 && s_y == 0 && d_x == 0 && d_y == 0 && w == src->w &&
      h == src->h && w == screen_w && h == screen_h && dest->w == w && dest->h == h;
   const int again = whole && on_screen == lazy;
   int y, first, last;

   settle(src);  /* its rows are read directly */
   on_screen = whole ? lazy : NULL;
   for (y = 0; y < h; y++) {
      const uint32_t *from = (const uint32_t *)src->line[s_y + y] + s_x;
      uint32_t *to = (uint32_t *)dest->line[d_y + y] + d_x;

      if (whole) {
         if (again && !(lazy->rows[y] & ROW_UNSHOWN))
            continue;
         lazy->rows[y] &= ~ROW_UNSHOWN;
      }
      for (first = 0; first + 8 <= w && same_8_pixels(from + first, to + first); first += 8) {
      }
      for (; first < w && from[first] == to[first]; first++) {
      }
      if (first == w)
         continue;
      for (last = w; last - 8 > first && same_8_pixels(from + last - 8, to + last - 8); last -= 8) {
      }
      for (; from[last - 1] == to[last - 1]; last--) {
      }
      memcpy(to + first, from + first, (last - first) * sizeof(*to));
      may_have_changed(dest->y_ofs + d_y + y, dest->x_ofs + d_x + first, dest->x_ofs + d_x + last);
   }
   show_picture();
   give_the_browser_its_turn();
   blitted_since_poll = TRUE;
}

static BITMAP *screen_init(int w, int h, int v_w, int v_h, int color_depth);
static void screen_exit(BITMAP *bmp);

static GFX_DRIVER gfx_canvas = {
   .id = CANVAS_ID, .name = empty_string, .desc = empty_string, .ascii_name = "Canvas",
   .init = screen_init, .exit = screen_exit, .linear = TRUE, .windowed = TRUE
};

static BITMAP *screen_init(int w, int h, int v_w, int v_h, int color_depth)
{
   BITMAP *bmp;

   if (color_depth != 32 || (v_w && v_w != w) || (v_h && v_h != h)) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE,
               get_config_text("The canvas shows 32-bit colour, without a virtual screen"));
      return NULL;
   }
   screen_pixels = calloc((size_t)w * h, 4);
   canvas_pixels = calloc((size_t)w * h, 4);
   maybe_changed = calloc(h, sizeof(*maybe_changed));
   bmp = screen_pixels && canvas_pixels && maybe_changed ?
      _make_bitmap(w, h, (uintptr_t)screen_pixels, &gfx_canvas, 32, w * 4) : NULL;
   if (!bmp) {
      screen_exit(NULL);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   bmp->write_bank = screen_write_line;
   _screen_vtable.blit_from_memory = screen_blit_from_memory;
   screen_w = gfx_canvas.w = w;
   screen_h = gfx_canvas.h = h;
   shown_colours = -1;
   all_may_have_changed();  /* the first picture is all of it: the canvas is blank */
   gfx_canvas.vid_mem = w * h * 4;
   web_open_canvas(w, h);
   return bmp;
}

static void screen_exit(BITMAP *bmp)
{
   (void)bmp;
   free(screen_pixels);
   free(canvas_pixels);
   free(maybe_changed);
   screen_pixels = canvas_pixels = NULL;
   on_screen = NULL;
   maybe_changed = NULL;
}

/* --------------------------------------------------------------- keyboard */

static int keyboard_init(void)
{
   size_t i;

   for (i = 0; i < sizeof(page_keys) / sizeof(page_keys[0]); i++) {
      if (page_keys[i].scancode > 0 && page_keys[i].scancode < KEY_MAX)  /* key[]'s size */
         web_map_key(page_keys[i].code, page_keys[i].scancode);
   }
   web_listen_to_keys();
   return 0;
}

static void keyboard_exit(void)
{
   web_stop_listening();
}

/* Polled: the program calls it in each pass of its loops, at least once a
 * frame. Each poll takes one key event, in order, so that the program sees
 * every state of the keys that a fast loop on the desktop would see: a tap
 * shorter than a frame, or Escape let go a moment before Space. */
static void keyboard_poll(void)
{
   int event, scancode;

   if (!blitted_since_poll && screen_pixels) {
      if (show_picture() || key_at_last_poll)
         give_the_browser_its_turn();
      else
         rest_until_a_key();
   }
   blitted_since_poll = FALSE;
   timer_catch_up();
   event = web_next_key();
   key_at_last_poll = event >= 0;
   scancode = event & 0xFF;
   if (event < 0 || scancode == 0 || scancode >= KEY_MAX)
      return;  /* key[] has KEY_MAX entries */
   if (event & (1 << 24))
      _handle_key_press((event >> 8) & 0xFFFF, scancode);
   else
      _handle_key_release(scancode);
}

static KEYBOARD_DRIVER keyboard_canvas = {
   .id = CANVAS_ID, .name = empty_string, .desc = empty_string, .ascii_name = "Page keyboard",
   .init = keyboard_init, .exit = keyboard_exit, .poll = keyboard_poll
};

/* ----------------------------------------------------------------- system */

static int system_init(void)
{
   return 0;
}

static void system_exit(void)
{
}

static void executable_name(char *output, int size)
{
   ustrzcpy(output, size, "cavedot");
}

static void show_message(AL_CONST char *text)
{
   web_message(text);
}

static int desktop_depth(void)
{
   return 32;
}

static SYSTEM_DRIVER system_canvas = {
   .id = CANVAS_ID, .name = empty_string, .desc = empty_string, .ascii_name = "Web page",
   .init = system_init, .exit = system_exit, .get_executable_name = executable_name,
   .message = show_message, .desktop_color_depth = desktop_depth,
   .created_bitmap = lazy_created_bitmap, .created_sub_bitmap = lazy_created_sub_bitmap,
   .destroy_bitmap = lazy_destroy_bitmap
};

/* The system names no driver lists of its own, so the library takes its drivers from these. */
_DRIVER_INFO _system_driver_list[] = {{CANVAS_ID, &system_canvas, TRUE}, {0, NULL, 0}};
_DRIVER_INFO _gfx_driver_list[] = {{CANVAS_ID, &gfx_canvas, TRUE}, {0, NULL, 0}};
_DRIVER_INFO _keyboard_driver_list[] = {{CANVAS_ID, &keyboard_canvas, TRUE}, {0, NULL, 0}};
_DRIVER_INFO _timer_driver_list[] = {{CANVAS_ID, &timer_canvas, TRUE}, {0, NULL, 0}};
_DRIVER_INFO _mouse_driver_list[] = {{0, NULL, 0}};
_DRIVER_INFO _digi_driver_list[] = {{0, NULL, 0}};
_DRIVER_INFO _midi_driver_list[] = {{0, NULL, 0}};
_DRIVER_INFO _joystick_driver_list[] = {{0, NULL, 0}};
