// The page around the game (index.html): the canvas's fit, the controls that
// give the game its keys, fullscreen, high contrast, and each run of the
// program.
'use strict';
const gameArea = document.getElementById('game-area');
const canvas = document.getElementById('canvas');
const again = document.getElementById('again');
const statusLine = document.getElementById('status');
const loading = document.getElementById('loading');  // over the game, where it moves nothing
const fullscreen = document.getElementById('fullscreen');

// The largest size that fits, 4:3. Where the game fits at its own size, each
// of its pixels takes a whole number of the screen's, so that all are square
// and equal; a smaller screen gets the largest fit, in blocks of 4 by 3 CSS
// pixels. Placed on whole CSS pixels, which at 1, 2 or 3 screen pixels each
// keep the game's pixels on the screen's; never smoothed.
function fit() {
  const ratio = devicePixelRatio, w = gameArea.clientWidth, h = gameArea.clientHeight;
  const most = Math.min(w / 640, h / 480) * ratio;  // screen pixels per game pixel
  const width = most >= ratio ? 640 * Math.floor(most) / ratio : 4 * Math.floor(Math.min(w / 4, h / 3));
  const height = width * 3 / 4;
  canvas.style.width = width + 'px';
  canvas.style.height = height + 'px';
  canvas.style.left = Math.floor((w - width) / 2) + 'px';
  canvas.style.top = Math.floor((h - height) / 2) + 'px';
}
new ResizeObserver(fit).observe(gameArea);
(function watchRatio() {  // the browser's zoom, or a screen with other pixels
  matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
    fit();
    watchRatio();
  }, {once: true});
})();

// The keys the game uses would scroll the page or press a button.
const gameKeys = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Space'];
addEventListener('keyup', e => gameKeys.includes(e.code) && e.preventDefault());  // Space lets a button go
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
  element.addEventListener('pointerdown', e => { e.preventDefault(); send('keydown', code, button); });
  element.addEventListener('contextmenu', e => e.preventDefault());  // a long press is a held key
  for (const type of ['pointerup', 'pointercancel']) element.addEventListener(type, () => send('keyup', code, button));
}

// A stick pushed (dx, dy) from where it rests, past its dead zone, holds each
// arrow within 67.5 degrees of that way: one alone within 22.5 degrees of it,
// else two, a diagonal.
const arrows = [['ArrowLeft', -1, 0], ['ArrowRight', 1, 0], ['ArrowUp', 0, -1], ['ArrowDown', 0, 1]];
function pointing(dx, dy, deadZone) {
  const distance = Math.hypot(dx, dy);
  const held = ([, x, y]) => distance > deadZone && (x * dx + y * dy) / distance > Math.sin(Math.PI / 8);
  return new Set(arrows.filter(held).map(([code]) => code));
}
// The keys a control holds (held) made those it holds now, by key events.
function hold(control, held, now) {
  for (const code of held) if (!now.has(code)) held.delete(code), send('keyup', code, control);
  for (const code of now) if (!held.has(code)) held.add(code), send('keydown', code, control);
}

// A finger on the game is a stick, pushed the way it has moved from where it
// came down. Lifting it lets its arrows go.
const deadZone = 10;  // CSS pixels
let stick = null;
gameArea.addEventListener('contextmenu', e => e.preventDefault());  // a finger held still
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

// Gamepads. One in the standard mapping: the d-pad and the left stick hold the
// arrows, A and Start are Space, B and Back are Escape. Any other's buttons are
// unknown: only its first stick (axes 0 and 1) moves, and its line says so.
// Pads are read once a frame while any is connected; a pad gone, or the window
// left, lets go of all that it held. Each game hears afresh what they hold.
const padKeys = [[12, 'ArrowUp'], [13, 'ArrowDown'], [14, 'ArrowLeft'], [15, 'ArrowRight'],
                 [0, 'Space'], [9, 'Space'], [1, 'Escape'], [8, 'Escape']];
const pads = new Map();  // a connected pad's index: the keys it holds
let polling = false, away = false;
function connectedPads() {
  try {  // a permissions policy, or a frame's host, may forbid them
    return [...navigator.getGamepads ? navigator.getGamepads() : []].filter(pad => pad && pad.connected);
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
  for (const [index, held] of pads) if (!now.has(index)) hold('pad ' + index, held, new Set()), pads.delete(index);
  for (const [index, pad] of now) {
    if (!pads.has(index)) pads.set(index, new Set());
    hold('pad ' + index, pads.get(index), padHolds(pad));
  }
  polling = now.size > 0;
  const other = [...now.values()].some(pad => pad.mapping !== 'standard');  // its line said instead
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
function padsToNewGame() {  // it has heard nothing of what they hold: they say it again
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
  fullscreen.textContent = document.fullscreenElement ? 'Leave fullscreen' : 'Fullscreen';
});

// High contrast, when the player asks for it: by the Contrast button, which the
// browser remembers, or else by the system's setting. The game draws its own
// colours; the canvas shows each as one of these, which stand apart by
// lightness alone: the dot 18:1 from the floor, the monsters 5.5:1 from it and
// 3.3:1 from the dot, the exit 5.8:1 from the walls. Text stays white on black.
const highContrast = [  // [the game's colour, shown as], 0xRRGGBB
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
try { choice = localStorage.getItem('cavedot-contrast'); } catch {}
const contrasted = () => (choice || (systemContrast.matches ? 'more' : 'designed')) === 'more';
let game;  // the running program's Module
function showContrast() {
  const on = contrasted();
  contrast.setAttribute('aria-pressed', on);
  if (!game) return;
  game.colours = on ? highContrast : null;  // canvas.c reads them for each picture
  if (game.alWake) game.alWake();  // a program resting until a key shows it at once
}
contrast.addEventListener('click', () => {
  choice = contrasted() ? 'designed' : 'more';
  try { localStorage.setItem('cavedot-contrast', choice); } catch {}
  showContrast();
});
systemContrast.addEventListener('change', showContrast);
showContrast();

// The game's compiled code, fetched once and kept. Its fetch began with the
// page's (index.html's preload), and it compiles as it arrives where the
// server says that it is WebAssembly. Begun as soon as this script runs, before
// cavedot.js has; a run of the program says why it failed, and fetches it again.
let compiledWasm;  // a promise of the game's WebAssembly module
function compileGame() {
  if (compiledWasm) return compiledWasm;
  compiledWasm = fetch('cavedot.wasm').then(r => {
    if (!r.ok) throw Error(`cavedot.wasm: ${r.status} ${r.statusText}`);
    return r.headers.get('Content-Type') === 'application/wasm' ? WebAssembly.compileStreaming(r)
      : r.arrayBuffer().then(b => WebAssembly.compile(b));
  });
  compiledWasm.catch(() => {});  // said by the run that waits for it
  return compiledWasm;
}

// A run of the program: a fresh instance of it, as a desktop would launch it
// again, on the same canvas.
function start() {
  again.hidden = true;
  document.body.classList.remove('ended');
  canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);  // as a new window would be
  statusLine.textContent = '';
  loading.hidden = false;  // until the program starts and shows its first frame
  if (typeof createCavedot === 'undefined') return ended(unloaded('cavedot.js did not load'));
  const compiled = compileGame();
  let played = false;  // this run has started: the player has the game
  createCavedot(game = {
    canvas: canvas,
    instantiateWasm: (imports, receive) => {
      compiled.then(m => WebAssembly.instantiate(m, imports).then(instance => receive(instance, m)))
        .catch(e => {
          compiledWasm = null;  // fetched again on the next try
          ended(unloaded(e.message));
        });
      return {};
    },
    onRuntimeInitialized: () => { played = true; loading.hidden = true; keepOffline(); },
    onListening: padsToNewGame,
    printErr: text => { console.error(text); statusLine.textContent = text; },
    // A game that could not start has said why already: that stays.
    onExit: status => ended(status === 0 ? 'The game has ended.'
                            : statusLine.textContent + ' The game has stopped (status ' + status + ').', played),
    onAbort: why => ended('The game has crashed (' + why + ').', played),
  });
  showContrast();
}

// Why the game could not be loaded, in one sentence that says what the host
// must allow: a host's security policy, or a frame sandboxed into an origin of
// its own (whose fetches the server refuses), stop a page that is otherwise whole.
let refused = false;  // the page's policy has refused to compile the game's code
addEventListener('securitypolicyviolation', e => refused = refused || e.blockedURI === 'wasm-eval');
function unloaded(why) {
  if (self.origin === 'null') {
    return 'The game cannot load in a frame sandboxed into an origin of its own: the host must add allow-same-origin to its sandbox.';
  }
  if (refused || /Content.Security.Policy|CSP/i.test(why)) {
    return "This site's security policy refused the game's code: the host must allow 'wasm-unsafe-eval' in script-src.";
  }
  return `The game could not be loaded (${why}): the host must serve all its files beside this page.`;
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

// The page's files kept for play without a network (service-worker.js), once
// the page has fetched them itself and the game has started, so that nothing
// of the worker's comes before its first frame: the worker only asks the
// server whether they are still current. Where there are no workers (plain
// http, an origin of its own, some private windows) the page plays all the same.
// Asked once, by the first run that starts.
let offlineAsked = false;
function keepOffline() {
  if (offlineAsked) return;
  offlineAsked = true;
  try {
    navigator.serviceWorker.register('service-worker.js').catch(e => console.warn('No play offline:', e.message));
  } catch (e) {
    console.warn('No play offline:', e.message);
  }
}

fit();  // before the first paint, with the controls as they will stay: the game never jumps
compileGame();
addEventListener('DOMContentLoaded', start);  // once cavedot.js has run
