/* Allegro 4.4's platform in a web page (Emscripten): the system, a screen
 * shown on the page's <canvas>, the keyboard from the browser's key events and
 * the timer from the elapsed time. Drawing stays Allegro's own: the screen is
 * a linear bitmap in memory, copied onto the canvas.
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
      let done = false;
      const go = () => { if (!done) { done = true; Module.alWake = null; resolve(); } };
      if (for_a_key) Module.alWake = go; else requestAnimationFrame(go);
      setTimeout(go, 100);
   });
});

EM_JS(void, web_open_canvas, (int w, int h), {
   const canvas = Module['canvas'];
   canvas.width = w;
   canvas.height = h;
   Module.alContext = canvas.getContext('2d');
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

EM_JS(void, web_show, (const void *rgba, int w, int h), {
   const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
   Module.alContext.putImageData(new ImageData(pixels, w, h), 0, 0);
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

/* ----------------------------------------------------------------- screen */

static uint32_t *screen_pixels; /* the screen bitmap's memory, 0x00RRGGBB */
static uint32_t *canvas_pixels; /* the same as the canvas wants it: R, G, B, A bytes */
static int screen_w, screen_h;
/* A program starts as the browser has just had its turn: its first poll goes
 * on at once, rather than show the black screen and wait an animation frame
 * before the program draws its first frame. */
static int blitted_since_poll = TRUE;
static int key_at_last_poll = FALSE;
static void (*memory_blit)(BITMAP *src, BITMAP *dest, int s_x, int s_y, int d_x, int d_y,
                           int w, int h);

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

/* Turns the screen into the canvas's pixels; says whether any of them changed.
 * A frame is long runs of a few colours: each run is looked up once. */
static int convert_screen(void)
{
   uint32_t from[16], to[16];
   const int colours = web_colours(from, to, 16);
   uint32_t p = screen_pixels[0], c = canvas_colour(p, from, to, colours), changed = 0;
   int i;

   for (i = 0; i < screen_w * screen_h; i++) {
      if (screen_pixels[i] != p) {
         p = screen_pixels[i];
         c = canvas_colour(p, from, to, colours);
      }
      changed |= c ^ canvas_pixels[i];
      canvas_pixels[i] = c;
   }
   return changed != 0;
}

/* The browser's turn: the screen goes onto the canvas, and the program goes
 * on at the next animation frame. */
static void give_the_browser_its_turn(void)
{
   web_show(canvas_pixels, screen_w, screen_h);
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

/* A blit onto the screen ends a frame. */
static void screen_blit_from_memory(BITMAP *src, BITMAP *dest, int s_x, int s_y, int d_x,
                                    int d_y, int w, int h)
{
   memory_blit(src, dest, s_x, s_y, d_x, d_y, w, h);
   convert_screen();
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
   bmp = screen_pixels && canvas_pixels ?
      _make_bitmap(w, h, (uintptr_t)screen_pixels, &gfx_canvas, 32, w * 4) : NULL;
   if (!bmp) {
      free(screen_pixels);
      free(canvas_pixels);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   memory_blit = _screen_vtable.blit_from_memory;
   _screen_vtable.blit_from_memory = screen_blit_from_memory;
   screen_w = gfx_canvas.w = w;
   screen_h = gfx_canvas.h = h;
   gfx_canvas.vid_mem = w * h * 4;
   web_open_canvas(w, h);
   return bmp;
}

static void screen_exit(BITMAP *bmp)
{
   (void)bmp;
   free(screen_pixels);
   free(canvas_pixels);
   screen_pixels = canvas_pixels = NULL;
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
      if (convert_screen() || key_at_last_poll)
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
   .message = show_message, .desktop_color_depth = desktop_depth
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
