// The page around the game (index.html): the canvas's fit, the controls that
// give the game its keys, fullscreen, high contrast, and each run of the
// program.
'use strict';
const gameArea = document.getElementById('game-area');
const canvas = document.getElementById('canvas');
const again = document.getElementById('again');
const statusLine = document.getElementById('status');
const loading = document.getElementById('loading');  // laid over the game: hiding it moves nothing
const fullscreen = document.getElementById('fullscreen');

// The page's words in the player's language: the first of the browser's
// languages that the page speaks, a region's variant read as its language
// (pt-BR as pt) but Chinese by its script (zh-TW, zh-HK and zh-MO read
// Traditional), else English. tools/build-web fills in the table from words.js.
const WORDS = {WORDS};
function pickLanguage(wanted) {
  for (const tag of wanted) {
    const [base, ...rest] = tag.toLowerCase().split('-');
    const traditional = !rest.includes('hans')
      && rest.some(part => ['hant', 'tw', 'hk', 'mo'].includes(part));
    const language = base !== 'zh' ? base : traditional ? 'zh-Hant' : 'zh-Hans';
    if (Object.hasOwn(WORDS, language)) return language;
  }
  return 'en';
}
const language = pickLanguage(navigator.languages || []);
// A phrase, its {names} filled in from values; a host's phrase not fetched is English.
function words(key, values = {}) {
  return (WORDS[language][key] ?? WORDS.en[key])
    .replace(/\{(\w+)\}/g, (hole, name) => name in values ? values[name] : hole);
}
// An element's phrase, with each key it names ({esc}) in a key's box.
function say(element) {
  const parts = words(element.dataset.words).split(/\{(\w+)\}/);
  element.replaceChildren(...parts.map((part, i) => {
    if (i % 2 === 0) return part;
    const key = document.createElement('kbd');
    key.textContent = words(part);
    return key;
  }));
}
document.documentElement.lang = language;
document.documentElement.dir = words('dir');
document.querySelectorAll('[data-words]').forEach(say);
canvas.setAttribute('aria-label', words('game'));

// The game takes the largest 4:3 size that fits. Where it fits at its own size,
// each of its pixels is a whole number of screen pixels, so that all are square
// and equal; a smaller window gets the largest size in steps of 4 by 3 CSS
// pixels. The canvas sits on whole CSS pixels, which at 1, 2 or 3 screen pixels
// each keep the game's pixels on the screen's. It is never smoothed.
function fit() {
  const ratio = devicePixelRatio, w = gameArea.clientWidth, h = gameArea.clientHeight;
  const most = Math.min(w / 640, h / 480) * ratio;  // screen pixels per game pixel
  const blocks = Math.floor(Math.min(w / 4, h / 3));  // of 4 by 3 CSS pixels
  const width = most >= ratio ? 640 * Math.floor(most) / ratio : 4 * blocks;
  const height = width * 3 / 4;
  canvas.style.width = width + 'px';
  canvas.style.height = height + 'px';
  canvas.style.left = Math.floor((w - width) / 2) + 'px';
  canvas.style.top = Math.floor((h - height) / 2) + 'px';
}
new ResizeObserver(fit).observe(gameArea);
(function watchRatio() {  // the browser zoomed, or the window moved to a denser screen
  matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
    fit();
    watchRatio();
  }, {once: true});
})();

// The keys the game uses would otherwise scroll the page, or press the button
// that has the focus (a button is pressed as Space goes up).
const gameKeys = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Space'];
addEventListener('keyup', e => {
  if (gameKeys.includes(e.code)) e.preventDefault();
});
addEventListener('keydown', e => {
  if (gameKeys.includes(e.code)) e.preventDefault();
  if (!again.hidden && !e.repeat && ['Space', 'Enter', 'NumpadEnter'].includes(e.code)) {
    e.preventDefault();
    start();
  }
});

// Touch and pads give the game the same key events as the keyboard, at the
// window, each saying which control sent it: the game holds a key while any
// control holds it.
function send(type, code, control) {
  const event = new KeyboardEvent(type, {code, key: code === 'Space' ? ' ' : code});
  event.control = control;
  dispatchEvent(event);
}
for (const [button, code] of [['space', 'Space'], ['escape', 'Escape']]) {
  const element = document.getElementById(button);
  element.addEventListener('pointerdown', e => {
    e.preventDefault();
    send('keydown', code, button);
  });
  // A long press is a key held down, not a call for the browser's menu.
  element.addEventListener('contextmenu', e => e.preventDefault());
  for (const type of ['pointerup', 'pointercancel']) {
    element.addEventListener(type, () => send('keyup', code, button));
  }
}

// A stick pushed (dx, dy) from where it rests, past its dead zone, holds each
// arrow within 67.5 degrees of that way: one alone within 22.5 degrees of it,
// else two, a diagonal.
const arrows = [['ArrowLeft', -1, 0], ['ArrowRight', 1, 0], ['ArrowUp', 0, -1],
                ['ArrowDown', 0, 1]];
function pointing(dx, dy, deadZone) {
  const distance = Math.hypot(dx, dy);
  const near = (x, y) => (x * dx + y * dy) / distance > Math.sin(Math.PI / 8);
  const held = ([, x, y]) => distance > deadZone && near(x, y);
  return new Set(arrows.filter(held).map(([code]) => code));
}
// A control lets go of the keys it no longer holds and presses those it now
// holds; `held` is its set of keys, brought up to `now`.
function hold(control, held, now) {
  for (const code of held) {
    if (now.has(code)) continue;
    held.delete(code);
    send('keyup', code, control);
  }
  for (const code of now) {
    if (held.has(code)) continue;
    held.add(code);
    send('keydown', code, control);
  }
}

// A finger on the game is a stick, pushed the way it has moved from where it
// came down. Lifting it lets its arrows go.
const deadZone = 10;  // CSS pixels
let stick = null;
gameArea.addEventListener('contextmenu', e => e.preventDefault());  // a finger held still: no menu
gameArea.addEventListener('pointerdown', e => {
  if (e.pointerType !== 'mouse' && !stick && e.target !== again) {
    stick = {id: e.pointerId, x: e.clientX, y: e.clientY, held: new Set()};
  }
});
gameArea.addEventListener('pointermove', e => {
  if (!stick || e.pointerId !== stick.id) return;
  hold('stick', stick.held, pointing(e.clientX - stick.x, e.clientY - stick.y, deadZone));
});
for (const type of ['pointerup', 'pointercancel']) {
  gameArea.addEventListener(type, e => {
    if (!stick || e.pointerId !== stick.id) return;
    hold('stick', stick.held, new Set());
    stick = null;
  });
}

// Gamepads. On a pad in the standard mapping the d-pad and the left stick hold
// the arrows, A and Start are Space, B and Back are Escape. Any other pad
// numbers its buttons its own way: only its first stick (axes 0 and 1) moves,
// and its line says so. Pads are read once a frame while any is connected; a
// pad unplugged, or the window left, lets go of all it held. Each new game is
// told again what they hold.
const padKeys = [[12, 'ArrowUp'], [13, 'ArrowDown'], [14, 'ArrowLeft'], [15, 'ArrowRight'],
                 [0, 'Space'], [9, 'Space'], [1, 'Escape'], [8, 'Escape']];
const pads = new Map();  // a connected pad's index: the keys it holds
let polling = false, away = false;
function connectedPads() {
  try {  // a permissions policy, or a frame's host, may forbid them
    const all = navigator.getGamepads ? navigator.getGamepads() : [];
    return [...all].filter(pad => pad && pad.connected);
  } catch {
    return [];
  }
}
function padHolds(pad) {
  const keys = away ? new Set() : pointing(pad.axes[0], pad.axes[1], 0.5);
  const buttons = pad.mapping === 'standard' && !away ? padKeys : [];
  for (const [button, code] of buttons) if (pad.buttons[button]?.pressed) keys.add(code);
  return keys;
}
function readPads() {
  const now = new Map(connectedPads().map(pad => [pad.index, pad]));
  for (const [index, held] of pads) {
    if (now.has(index)) continue;
    hold('pad ' + index, held, new Set());
    pads.delete(index);
  }
  for (const [index, pad] of now) {
    if (!pads.has(index)) pads.set(index, new Set());
    hold('pad ' + index, pads.get(index), padHolds(pad));
  }
  polling = now.size > 0;
  // A pad of unknown layout has a line of its own, said instead of the usual one.
  const other = [...now.values()].some(pad => pad.mapping !== 'standard');
  document.getElementById('pad').hidden = !polling || other;
  document.getElementById('other-pad').hidden = !other;
  if (polling) requestAnimationFrame(readPads);
}
addEventListener('gamepadconnected', () => polling || readPads());
addEventListener('blur', () => {
  away = true;
  for (const [index, held] of pads) hold('pad ' + index, held, new Set());
});
addEventListener('focus', () => away = false);
// A new game has heard nothing of what the pads hold: they press it all again.
function padsToNewGame() {
  for (const held of pads.values()) held.clear();
  polling || readPads();
}
readPads();  // a pad connected before the page loaded

// Fullscreen: where the browser lets the page keep Escape there (Keyboard
// Lock, never in a frame), it reaches the game and holding it leaves;
// elsewhere the browser takes it. The keys' line says which, where there is
// fullscreen: that Esc leaves it, until the lock has taken Escape.
const locks = self === top && navigator.keyboard && navigator.keyboard.lock;
fullscreen.hidden = !document.fullscreenEnabled;
function escapeLine(held) {
  document.getElementById('hold-escape').hidden = fullscreen.hidden || !held;
  document.getElementById('escape-leaves').hidden = fullscreen.hidden || held;
}
escapeLine(false);
fullscreen.addEventListener('pointerdown', e => e.preventDefault());  // keeps the focus off it
fullscreen.addEventListener('click', () => {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else {
    document.documentElement.requestFullscreen()
      .then(() => locks && navigator.keyboard.lock(['Escape']).then(() => escapeLine(true)))
      .catch(() => escapeLine(false));
  }
});
document.addEventListener('fullscreenchange', () => {
  const leave = document.fullscreenElement;
  fullscreen.textContent = leave ? words('leaveFullscreen') : words('fullscreen');
});

// High contrast, when the player asks for it: by the Contrast button, which the
// browser remembers, or else by the system's setting. The game draws its own
// colours; the canvas shows each as one of these, which stand apart by
// lightness alone: the dot 18:1 from the floor, the monsters 5.5:1 from it and
// 3.3:1 from the dot, the exit 5.8:1 from the walls. Text stays white on black.
const highContrast = [  // pairs of 0xRRGGBB: the game's colour, the colour shown for it
  [0x0a0a0a, 0x0a0a0a],  // floor
  [0x646364, 0x005ae6],  // walls (the frame's background): blue
  [0xffffff, 0xffffff],  // the exit, text
  [0x373737, 0xffff00],  // the dot: yellow
  [0x404040, 0xf05000],  // monsters: orange
  [0x000000, 0x000000],  // the text's boxes
];
const contrast = document.getElementById('contrast');
const systemContrast = matchMedia('(prefers-contrast: more)');
// The player's choice, 'more' or 'designed', kept where the browser lets the
// page keep it (a sandboxed frame may not): else for this visit only.
let choice = null;
try {
  choice = localStorage.getItem('cavedot-contrast');
} catch {}
const contrasted = () => (choice || (systemContrast.matches ? 'more' : 'designed')) === 'more';
let game;  // the running program's Module
function showContrast() {
  const on = contrasted();
  contrast.setAttribute('aria-pressed', on);
  if (!game) return;
  game.colours = on ? highContrast : null;  // canvas.c reads them for each picture
  if (game.alWake) game.alWake();  // a game waiting for a key shows the new colours at once
}
contrast.addEventListener('click', () => {
  choice = contrasted() ? 'designed' : 'more';
  try {
    localStorage.setItem('cavedot-contrast', choice);
  } catch {}
  showContrast();
});
systemContrast.addEventListener('change', showContrast);
showContrast();

// The game's compiled code, fetched once and kept for every run. The fetch
// starts as soon as this script runs, before cavedot.js has run, and takes the
// response that index.html's preload asked for. It asks as the preload does,
// without CORS and with credentials, which for a file of the page's own origin
// still gives a response the page can read: a browser gives a preload's
// response only to a request of the same mode and credentials, and WebKit only
// to one with the same headers, where a CORS preload adds an Origin header
// that fetch() leaves out for its own origin. The code compiles while it
// arrives where the server says that it is WebAssembly. A run that finds the
// fetch failed says why, and the next run fetches it again.
let compiledWasm;  // a promise of the game's WebAssembly module
let tries = 0;
function compileGame() {
  if (compiledWasm) return compiledWasm;
  // A try after a failed one asks past the caches: WebKit would give it the failure again.
  const how = {mode: 'no-cors', credentials: 'include', cache: tries++ ? 'reload' : 'default'};
  compiledWasm = fetch('cavedot.wasm', how).then(r => {
    if (!r.ok) throw Error(`cavedot.wasm: ${r.status} ${r.statusText}`);
    if (firstVisit()) codeCopy = r.clone();
    const streamed = r.headers.get('Content-Type') === 'application/wasm';
    return streamed ? WebAssembly.compileStreaming(r) : r.arrayBuffer().then(WebAssembly.compile);
  });
  compiledWasm.catch(() => {});  // said by the run that waits for it
  return compiledWasm;
}

// A run of the program: a fresh instance of it, as a desktop would launch it
// again, on the same canvas.
function start() {
  again.hidden = true;
  document.body.classList.remove('ended');
  canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);  // as a new window is
  statusLine.textContent = '';
  loading.hidden = false;  // until the program starts and shows its first frame
  if (typeof createCavedot === 'undefined') {  // its script did not load: fetched again
    const script = Object.assign(document.createElement('script'), {src: 'cavedot.js'});
    const run = () => typeof createCavedot === 'undefined'
      ? cannotLoad('cavedot.js did not load') : start();
    script.addEventListener('load', run);
    script.addEventListener('error', run);
    document.body.append(script);
    return;
  }
  const compiled = compileGame();
  let played = false;  // this run has started: the player has the game
  createCavedot(game = {
    canvas: canvas,
    instantiateWasm: (imports, receive) => {
      const instantiate = m => WebAssembly.instantiate(m, imports).then(i => receive(i, m));
      compiled.then(instantiate)
        .catch(e => {
          compiledWasm = null;  // fetched again on the next try
          cannotLoad(e.message);
        });
      return {};
    },
    onRuntimeInitialized: () => {
      played = true;
      loading.hidden = true;
      keepOffline();
    },
    onListening: padsToNewGame,
    printErr: text => {
      console.error(text);
      statusLine.textContent = text;
    },
    // A game that could not start has said why already: that stays.
    onExit: status => {
      const stopped = `${statusLine.textContent} ${words('stopped', {status})}`;
      ended(status === 0 ? words('ended') : stopped, played);
    },
    onAbort: why => ended(words('crashed', {why}), played),
  });
  showContrast();
}

// Why the game could not be loaded, in one sentence that says what the host
// must allow: a host's security policy, or a frame sandboxed into an origin of
// its own (whose fetches the server refuses), stop a page that is otherwise whole.
let refused = false;  // the page's policy has refused to compile the game's code
addEventListener('securitypolicyviolation', e => {
  refused = refused || e.blockedURI === 'wasm-eval';
});
function unloaded(why) {
  if (self.origin === 'null') return words('hostSandboxed', {token: 'allow-same-origin'});
  if (refused || /Content.Security.Policy|CSP/i.test(why)) {
    return words('hostRefused', {token: "'wasm-unsafe-eval'", directive: 'script-src'});
  }
  return words('hostUnloaded', {why});
}
// These sentences come in a file of their own (see tools/web-words), fetched
// only by a page that cannot start, in a language other than English; without
// it they are said in English.
let hostWords;
function cannotLoad(why) {
  hostWords ??= language === 'en' ? Promise.resolve() : new Promise(done => {
    const script = document.createElement('script');
    script.src = 'host-words.js';
    script.onload = script.onerror = done;
    document.head.append(script);
  });
  hostWords.then(() => ended(unloaded(why)));
}

// The game over, or not started, saying why. Play again takes the focus only
// from a game the player has played: a page that could not start, maybe
// inside another, never takes it.
function ended(said, played = false) {
  loading.hidden = true;
  document.body.classList.add('ended');
  statusLine.textContent = said;
  again.hidden = false;
  if (played) again.focus({preventScroll: true});
}
again.addEventListener('click', () => again.hidden || start());

// The service worker (service-worker.js) keeps the page's files for play
// without a network. It is registered once the game has started, so that none
// of its requests delays the first frame, and by then the page has fetched its
// files itself: the worker takes them from the HTTP cache. Where there are no
// workers (plain http, an origin of its own, some private windows) the page
// plays all the same. Registered once, by the first run.
let offlineAsked = false;
async function keepOffline() {
  if (offlineAsked) return;
  offlineAsked = true;
  try {
    if (codeCopy) await leaveCopy().catch(() => {});  // else the worker downloads it
    await navigator.serviceWorker.register('service-worker.js');
  } catch (e) {
    console.warn('No play offline:', e.message);
    if (codeCopy) caches.delete(CODE_COPY).catch(() => {});
  }
}

// On a first visit the page leaves the worker a copy of the game's code, the
// largest of its files, in a cache of its own: where there is no HTTP cache to
// take it from (WebKitGTK keeps none in a private session, as WebDriver's), the
// worker would download it again. The worker takes it once its SHA-256 is
// right, and deletes it when it takes over.
const CODE_COPY = `cavedot ${new URL('.', location.href)} the page's code`;
let codeCopy;  // the response of the code's fetch, cloned on a first visit
const leaveCopy = () => caches.open(CODE_COPY).then(cache => cache.put('cavedot.wasm', codeCopy));
function firstVisit() {  // no worker serves the page yet
  try {
    return !navigator.serviceWorker.controller;
  } catch {
    return false;  // no workers here
  }
}

fit();  // before the first paint, with the controls as they will stay: the game never jumps
compileGame();
addEventListener('DOMContentLoaded', start);  // once cavedot.js has run

// What the page's tests read of it (tests/web/in-page.js), given here on
// purpose and used by nothing else: the colours high contrast shows, the keys
// the game knows by the browser's names for them, and how many of the key
// events sent to it the running game has yet to take.
self.cavedotPage = {
  highContrast,
  keyCodes: () => [...game.alScancodes.keys()],
  keysWaiting: () => game?.alKeys?.length || 0,
};
