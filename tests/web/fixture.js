// The web game in a browser, for tests/web-test, bench/web-bench and tools/web-screenshots: serve() is the one test
// server; open() starts a browser of an engine (Chromium and Firefox by puppeteer-core, WebKitGTK by its
// WebKitWebDriver) on a fresh profile, as one small interface; Picture reads what the screen shows of the canvas as
// the game's pixels; firstFrame() and pace() are the checks every scenario shares. A check that fails throws a
// Failure, which says what was wrong.
'use strict';
const {execFileSync, spawn} = require('child_process'), crypto = require('crypto'), fs = require('fs'), http = require('http');
const net = require('net'), os = require('os'), path = require('path'), puppeteer = require('puppeteer-core');

const GREY = '100,99,100', FLOOR = '10,10,10', WHITE = '255,255,255', DISC = '55,55,55', BLACK = '0,0,0', MONSTER = '64,64,64';
const CLOCK = 1790000004000;  // ms: its first room has 298 pixels of floor right of the centre
const STATUS = "document.getElementById('status').textContent";
const sleep = ms => new Promise(done => setTimeout(done, ms));

class Failure extends Error {}
const check = (ok, why) => ok || (() => { throw new Failure(typeof why === 'function' ? why() : why); })();

// What read() gives once until() holds for it, read again every 50 ms; else undefined.
async function waitFor(read, until = Boolean, seconds = 10) {
  for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(50)) {
    const value = await read();
    if (until(value)) return value;
  }
}

// Given to every page before its own scripts, from the server (so in every engine, and under a policy that allows
// only the page's origin): the clock pinned, so that the first room is known; when the page's animation-frame
// callbacks start (for a bench); when the canvas was last drawn (just after the game's timer read the clock, whether
// an animation frame or its timeout woke it); each run's Module, createCavedot's argument, kept as `running`; every
// error the page meets, kept in `errors`; and in a frame, what the test asks of it by a message.
const testScript = clock => `Date.now = () => ${clock};
var woke = 0, drawn = 0, rawFrame = requestAnimationFrame, errors = [], consoleError = console.error;
requestAnimationFrame = f => rawFrame(t => { woke = performance.now(); f(t); });
const rawPut = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...how) { drawn = performance.now(); rawPut.apply(this, how); };
Object.defineProperty(window, 'createCavedot', {configurable: true, set(make) { Object.defineProperty(
  window, 'createCavedot', {configurable: true, writable: true, value: m => make(window.running = m)}); }});
addEventListener('error', e => errors.push(e.message));
addEventListener('unhandledrejection', e => errors.push(String(e.reason)));
addEventListener('securitypolicyviolation', e => errors.push('refused by the policy: ' + e.violatedDirective));
console.error = (...words) => { errors.push(words.join(' ')); consoleError(...words); };
addEventListener('message', e => e.data === 'state' && e.source.postMessage({errors, status: document.getElementById('status').textContent,
  hold: !document.getElementById('hold-escape').hidden, disc: discCentre()}, '*'));
function discCentre() {  // where the centre of the player's disc is on the canvas
  const rgba = canvas.getContext('2d').getImageData(0, 0, 640, 480).data; let n = 0, x = 0, y = 0;
  for (let i = 0; i < rgba.length; i += 4) if (rgba[i] == 55 && rgba[i + 1] == 55 && rgba[i + 2] == 55) n++, x += i / 4 % 640, y += i / 2560 | 0;
  return [x / n + 1, y / n + 1];
}`;

// Serves folders on this machine as a web server should: each at its path (mounts: {'/': dir}), a file's .br or .gz
// twin where the browser takes that encoding, an ETag answered with 304, the headers given (Cache-Control: no-cache
// unless given: nothing served from the HTTP cache without asking) and the test's script in each page, with
// server.script after it (for a bench's own counters). While offline, it answers nothing but that script. Counts the
// requests it has had and the bytes it sends. The servers, browsers and folders a scenario makes by its serve, open
// and folder go when it closes.
async function serve(mounts, headers = {}) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                 '.png': 'image/png', '.webmanifest': 'application/manifest+json', '.txt': 'text/plain'};
  const server = {clock: CLOCK, script: '', offline: false, requests: 0, sent: 0}, owned = [];
  const http_ = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://host');
    server.requests++;
    if (url.pathname === '/test.js') return response.writeHead(200, {'Content-Type': types['.js'], 'Cache-Control': 'no-store'})
      .end(testScript(server.clock) + server.script);
    if (server.offline) return request.socket.destroy();
    const mount = Object.keys(mounts).filter(m => url.pathname.startsWith(m)).sort((a, b) => b.length - a.length)[0];
    const file = mount && path.join(mounts[mount], url.pathname.slice(mount.length), url.pathname.endsWith('/') ? 'index.html' : '');
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) return response.writeHead(404).end();
    const accepted = request.headers['accept-encoding'] || '';
    const encoding = rewritten(file) ? undefined : ['br', 'gzip'].find(e => accepted.includes(e) && fs.existsSync(`${file}.${e.slice(0, 2)}`));
    const body = encoding ? fs.readFileSync(`${file}.${encoding.slice(0, 2)}`) : served(file);
    const etag = `"${sha256(body).slice(0, 16)}"`, known = request.headers['if-none-match'] === etag;
    server.sent += known ? 0 : body.length;
    response.writeHead(known ? 304 : 200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream', ETag: etag,
                                'Cache-Control': 'no-cache', ...(encoding && {'Content-Encoding': encoding}),
                                Vary: 'Accept-Encoding', ...headers});
    response.end(known ? undefined : body);
  });
  await new Promise(ready => http_.listen(0, '127.0.0.1', ready));
  server.url = `http://127.0.0.1:${http_.address().port}`;
  const own = thing => (owned.push(thing), thing);
  server.serve = (...how) => serve(...how).then(own);
  server.open = (...how) => open(...how).then(own);
  server.folder = () => own({name: fs.mkdtempSync(path.join(os.tmpdir(), 'web-test-')),
                             close() { fs.rmSync(this.name, {recursive: true}); }}).name;
  server.close = async () => {
    for (const other of owned.reverse()) await Promise.resolve(other.close()).catch(() => {});  // the last made first
    http_.closeAllConnections();
    http_.close();
  };
  return server;
}

// A file as the server sends it: a page with the test's script first in its head, and so a service worker that names
// the pages of its folder by the bytes sent.
const sha256 = bytes => crypto.createHash('sha256').update(bytes).digest('hex');
const rewritten = file => file.endsWith('.html') || path.basename(file) === 'service-worker.js';
function served(file) {
  const text = () => fs.readFileSync(file, 'utf8'), folder = path.dirname(file);
  if (file.endsWith('.html')) return Buffer.from(text().replace('<head>', '<head><script src="/test.js"></script>'));
  if (!rewritten(file)) return fs.readFileSync(file);
  const pages = fs.readdirSync(folder).filter(f => f.endsWith('.html')).map(f => path.join(folder, f));
  return Buffer.from(pages.reduce((body, page) => body.replace(sha256(fs.readFileSync(page)), sha256(served(page))), text()));
}

// The screen's pixels in a PNG, read as the game's: scale is the screen's pixels per game pixel.
class Picture {
  constructor(png, scale) {
    this.w = png.readUInt32BE(16);
    this.scale = scale || this.w / 640;
    this.rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], {input: png, maxBuffer: 1 << 28});
  }
  pixel(n) { return this.rgb.subarray(3 * n, 3 * n + 3).join(); }  // the screen's nth, as 'r,g,b'
  at(x, y) { return this.pixel(Math.floor((y + 0.5) * this.scale) * this.w + Math.floor((x + 0.5) * this.scale)); }  // the game's
  box(x, y, w, h) { return Array.from({length: w * h}, (_, i) => this.at(x + i % w, y + Math.floor(i / w))); }  // row by row
  game() { return this.box(0, 0, 640, 480).join(' '); }  // the game's 640x480 pixels
  colours() { return new Set(Array.from({length: this.rgb.length / 3}, (_, n) => this.pixel(n))); }  // the screen's
  label() { return this.box(1, 1, 64, 8).map(c => c === WHITE ? 1 : 0).join(''); }  // "Level: 1": which pixels are white
  // A line of the prompt: its 8-pixel-high box is black and white, and only those.
  promptLine(x, y, chars) { return [...new Set(this.box(x, y, 8 * chars, 8))].sort().join() === `${BLACK},${WHITE}`; }
}
const LEVEL_1 = new Picture(fs.readFileSync(path.join(__dirname, '..', 'level1.png')), 1).label();

const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update'];

// Chromium (DevTools protocol) and Firefox (WebDriver BiDi), through puppeteer. Firefox's touch screen, coarse
// pointers only, is a setting of the browser from its start. Kept, a Firefox started so once serves each later
// open() in a context of its own, its storage, caches and workers as new as a fresh profile's, till closeBrowsers();
// Chromium starts at once, and its other contexts are incognito ones, where no page can be installed.
const keptBrowsers = new Map();
async function puppeteerEngine(name, touch, flags, prefs, keep) {
  keep &&= name === 'firefox';
  const launch = () => puppeteer.launch({headless: true, defaultViewport: null, ...name === 'chromium'
    ? {executablePath: '/usr/bin/chromium', args: [...CHROMIUM_FLAGS, ...flags]}
    : {browser: 'firefox', executablePath: '/usr/bin/firefox-esr',
       extraPrefsFirefox: {...prefs, ...touch && {'ui.primaryPointerCapabilities': 1, 'ui.allPointerCapabilities': 1}}}});
  const how = JSON.stringify([name, touch, flags, prefs]);
  if (keep && !keptBrowsers.has(how)) keptBrowsers.set(how, launch());
  const browser = await (keep ? keptBrowsers.get(how) : launch()), context = keep && await browser.createBrowserContext();
  const page = context ? await context.newPage() : (await browser.pages())[0], logged = [], pid = browser.process().pid, fingers = {};
  page.on('console', m => m.type() === 'error' && logged.push(m.text())).on('pageerror', e => logged.push(String(e)));
  const cdp = name === 'chromium' ? await page.createCDPSession() : null;
  return {
    name, cdp, logged, pid,
    emulate: (width, height, ratio = 1, touch = false) =>
      page.setViewport({width, height, deviceScaleFactor: ratio, isMobile: touch, hasTouch: touch}),
    open: url => page.goto(url, {waitUntil: 'load'}),
    reload: () => page.reload({waitUntil: 'load'}),
    eval: js => page.evaluate(js),
    key: (down, code) => cdp ? cdp.send('Input.dispatchKeyEvent', {type: down ? 'rawKeyDown' : 'keyUp', code,
                                        key: code === 'Space' ? ' ' : code, windowsVirtualKeyCode: VK[code] || 0})
      : webdriverKey(code) && page.keyboard[down ? 'down' : 'up'](webdriverKey(code)),
    click: (x, y) => page.mouse.click(x, y),
    touch: async (kind, down) => {  // down: {finger: [x, y]}, those on the screen after this step
      if (cdp) return cdp.send('Input.dispatchTouchEvent', {type: kind,
                                  touchPoints: Object.entries(down).map(([id, [x, y]]) => ({x, y, id: +id}))});
      for (const [id, [x, y]] of Object.entries(down)) {  // Firefox's: each finger held, moved or lifted by its own handle
        fingers[id] = await (fingers[id] ? fingers[id].move(x, y).then(() => fingers[id]) : page.touchscreen.touchStart(x, y));
      }
      for (const id of Object.keys(fingers).filter(id => !(id in down))) await fingers[id].end(), delete fingers[id];
    },
    screenshot: clip => page.screenshot({clip, type: 'png'}).then(Buffer.from),
    close: () => (context || browser).close(),
  };
}
const closeBrowsers = () => Promise.all([...keptBrowsers.values()].map(b => b.then(b => b.close())));
const VK = {ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Space: 32, Escape: 27, Enter: 13};

// WebKitGTK on the X display, through its WebKitWebDriver, spoken to in WebDriver's JSON: keys by WebDriver's values
// for them; no touch, which its driver does not emulate.
async function webkit() {
  const port = await new Promise(got => { const s = net.createServer().listen(0, () => { const {port} = s.address(); s.close(() => got(port)); }); });
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], {stdio: 'ignore'});
  let session = '';
  const call = (what, body, method = 'POST') => fetch(`http://127.0.0.1:${port}/session${session}${what}`,
    {method, headers: {'Content-Type': 'application/json'}, body: body && JSON.stringify(body)})
    .then(r => r.json()).then(({value}) => value?.error ? check(false, `WebDriver ${what}: ${value.message}`) : value);
  for (let tries = 0; !session; tries++) {  // once the driver listens
    session = await call('', {capabilities: {alwaysMatch: {browserName: 'MiniBrowser'}}})
      .then(made => '/' + made.sessionId, e => tries < 100 ? sleep(100).then(() => '') : (driver.kill(), Promise.reject(e)));
  }
  const act = (type, actions, parameters) => call('/actions', {actions: [{type, id: type, parameters, actions}]});
  return {
    name: 'webkit', logged: [],
    emulate: (width, height) => call('/window/rect', {width, height}),
    open: url => call('/url', {url}),
    reload: () => call('/refresh', {}),
    eval: js => call('/execute/async', {args: [], script:
      `const done = arguments[0]; Promise.resolve((${js})).then(v => done([v]), e => done({error: String(e)}));`})
      .then(got => Array.isArray(got) ? got[0] : check(false, `${js.slice(0, 80)}: ${got.error}`)),
    key: (down, code) => webdriverKey(code) && act('key', [{type: down ? 'keyDown' : 'keyUp', value: webdriverKey(code)}]),
    click: (x, y) => act('pointer', [{type: 'pointerMove', x: Math.round(x), y: Math.round(y)},
                                     {type: 'pointerDown', button: 0}, {type: 'pointerUp', button: 0}], {pointerType: 'mouse'}),
    screenshot: ({x, y, width, height}) => call('/screenshot', undefined, 'GET').then(png => execFileSync('convert',  // its
      ['png:-', '-crop', `${width}x${height}+${x}+${y}`, '+repage', 'png:-'], {input: Buffer.from(png, 'base64')})),  // own are off
    close: () => call('', undefined, 'DELETE').catch(() => {}).finally(() => driver.kill()),
  };
}
// A key by its code as WebDriver's value for it; none for those it has none for, nor AltRight (WebKitWebDriver never answers it).
const WEBDRIVER_KEYS = Object.fromEntries(`Backspace Tab . . Enter ShiftLeft ControlLeft AltLeft Pause Escape Space PageUp
  PageDown End Home ArrowLeft ArrowUp ArrowRight ArrowDown Insert Delete . . NumpadEqual Numpad0 Numpad1 Numpad2 Numpad3 Numpad4
  Numpad5 Numpad6 Numpad7 Numpad8 Numpad9 NumpadMultiply NumpadAdd . NumpadSubtract NumpadDecimal NumpadDivide`.split(/\s+/)
  .map((code, i) => [code, String.fromCharCode(0xE003 + i)]).concat([...Array(12)].map((_, i) => [`F${i + 1}`, String.fromCharCode(0xE031 + i)]),
    [['MetaLeft', '\uE03D'], ['ShiftRight', '\uE050'], ['ControlRight', '\uE051'], ['MetaRight', '\uE053'],
     ['Space', ' '], ['Backquote', '`'], ['Minus', '-'], ['Equal', '='], ['BracketLeft', '['], ['BracketRight', ']'],
     ['Semicolon', ';'], ['Quote', "'"], ['Backslash', '\\'], ['Comma', ','], ['Period', '.'], ['Slash', '/']]));
const webdriverKey = code => WEBDRIVER_KEYS[code] || (/^(Key|Digit).$/.test(code) ? code.slice(-1).toLowerCase() : undefined);

// Each engine, and the scenarios it cannot be driven for, with why.
const ENGINES = {chromium: {cannot: {}}, firefox: {cannot: {}}, webkit: {cannot: {
  touch: 'WebKitWebDriver emulates no touch screen', turned: 'WebKitWebDriver emulates no phone',
  bytes: 'the HTTP cache of a WebKitWebDriver session answers no revalidation: its worker fetches every file again',
  'screen-4k': 'WebKitWebDriver\'s pictures of a 4K window are not the screen\'s pixels on every release (Debian 13)'}}};

// A browser of the engine on a fresh profile, its window 1024x768, a touch screen or not where that is set at the
// start, Chromium's flags or Firefox's settings given too, with the checks' common reads; errors(): what its pages and
// it have logged.
async function open(engine, touch = false, flags = [], prefs = {}, keep = false) {
  const b = await (engine === 'webkit' ? webkit() : puppeteerEngine(engine, touch, flags, prefs, keep));
  const seen = [];  // errors of pages left
  await b.emulate(1024, 768);
  Object.assign(b, {
    go: async url => { await b.errors(); await b.open(url); },
    again: async () => { await b.errors(); await b.reload(); },
    errors: async () => (seen.push(...await b.eval('window.errors ? errors.splice(0) : []').catch(() => [])),
                         [...seen, ...b.logged]),
    rect: id => b.eval(`(r => [r.x, r.y, r.width, r.height])(document.getElementById('${id}').getBoundingClientRect())`),
    centre: id => b.rect(id).then(([x, y, w, h]) => [x + w / 2, y + h / 2]),
    press: async id => { const [x, y] = await b.centre(id); await b.click(x, y); },
    keys: async (down, ...codes) => { for (const code of codes) await b.key(down, code); },
    tap: async (...codes) => { for (const code of codes) await b.key(true, code), await b.key(false, code); },
    // The canvas as the screen shows it.
    grab: () => b.rect('canvas').then(([x, y, width, height]) => b.screenshot({x, y, width, height})).then(png => new Picture(png)),
    // Where the disc's centre is, [time, x, y], with the time in ms at which the canvas was drawn so.
    disc: () => b.eval('[drawn, ...discCentre()]'),
    status: () => b.eval(STATUS),
    ready: async () => check(await b.eval(`Promise.race([navigator.serviceWorker.ready.then(() => true),
      new Promise(r => setTimeout(r, 10000))])`), 'the page has no service worker ready after 10 s'),
  });
  return b;
}

// A first frame in full view on a page with nothing to scroll: only the frame's colours on the screen, the disc at
// the centre and "Level: 1"; pixel for pixel the frame same, when given, the first at the same clock. Gives it. A frame
// unlike, when given, the canvas's last one before a new game, is not taken for it: the canvas shows it till that draws.
async function firstFrame(b, where, same, unlike) {
  const inView = `(r => r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight)(canvas.getBoundingClientRect())
    && scrollX + scrollY == 0 && document.documentElement.scrollHeight <= innerHeight && document.documentElement.scrollWidth <= innerWidth`;
  const first = await waitFor(async () => await b.eval(inView).catch(() => false) && b.grab(),
                            p => p && p.label() === LEVEL_1 && p.game() !== unlike?.game(), 20);
  if (!first) check(false, `${where}: no first frame with "Level: 1" in full view on a page with nothing to scroll; the canvas ` +
    `is at ${await b.rect('canvas').catch(() => '?')}, the page says: ${await b.status().catch(() => '?')}`);
  const strays = [...first.colours()].filter(c => ![GREY, FLOOR, WHITE, DISC].includes(c));
  check(!strays.length, `${where}: the first frame shows ${strays.slice(0, 5).join(' ')}, none of the frame's colours`);
  check(first.at(319, 239) === DISC, `${where}: no disc at the centre: ${first.at(319, 239)}`);
  check(!same || first.game() === same.game(), `${where}: the first frame is not the one of the same clock on the desktop`);
  return first;
}

const WAYS = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};

// The way among those given of the longest stretch of floor from the centre, past the disc, so that no wall or exit
// stops it, and its length.
function openWay(first, ways = Object.keys(WAYS)) {
  const ahead = ([dx, dy], n = 8) => {
    while (first.at(320 + n * dx, 240 + n * dy) === FLOOR && Math.abs(n * (dx || dy)) < 240) n++;
    return n - 1;
  };
  const way = ways.reduce((a, b) => ahead(WAYS[b]) > ahead(WAYS[a]) ? b : a), reach = ahead(WAYS[way]);
  check(reach >= 200, `only ${reach} pixels of floor from the centre: choose another clock for this room`);
  return [way, reach];
}

// The disc stands still once what was under way has been drawn.
async function still(b) {
  const at = () => b.disc().then(d => d.slice(1).join());
  return await sleep(200).then(at) === await sleep(300).then(at);
}

// While the way is held (press), the disc moves a pixel a tick, 140 pixels a second, for 1 s or half way to the wall
// (reach pixels from the centre), which leaves a slow browser time to look before it; let go (release), it stops.
async function pace(b, how, way, reach, press, release) {
  const axis = WAYS[way][0] ? 1 : 2, centre = axis === 1 ? 320 : 240;
  await press();
  const along = () => b.disc().then(d => [d[0], d[axis]]);  // [time, place on the way's axis]
  const [t0, p0] = check(await waitFor(along, g => Math.abs(g[1] - centre) > 5), `the disc does not move while ${how} ${way}`);
  const [t1, p1] = await waitFor(along, g => g[0] - t0 > 1000 || Math.abs(g[1] - p0) > reach / 2);
  await release();
  const moved = Math.abs(p1 - p0), speed = moved / (t1 - t0) * 1000;
  b.say(`${how} ${way}: ${moved.toFixed(0)} px in ${(t1 - t0).toFixed(0)} ms = ${speed.toFixed(1)} px/s`);
  check(Math.abs(p1 - centre) < reach, 'the disc reached the wall before the second look: the browser is too slow to tell');
  check((p1 - p0) * (WAYS[way][0] + WAYS[way][1]) > 0, `${how} ${way}, the disc moves the other way`);
  check(Math.abs(speed - 140) <= 7, `${how} ${way}, the disc moves at ${speed.toFixed(1)} pixels a second, not 140`);
  check(await still(b), `the disc goes on moving once ${how} ${way} has stopped`);
}

// Pressed, the disc moves 5 pixels or more on an axis, the way given if any ([dx, dy]: -1, 0 or 1 on each); released,
// it stops. Gives how far it moved on each axis.
async function nudge(b, how, press, release, released, way) {
  const before = await b.disc();
  await press();
  const after = check(await waitFor(b.disc, g => Math.abs(g[1] - before[1]) > 4 || Math.abs(g[2] - before[2]) > 4),
                      `the disc does not move while ${how}`);
  await release();
  check(await still(b), `the disc goes on moving after ${how}, once ${released}`);
  const moved = [after[1] - before[1], after[2] - before[2]];
  check(!way || moved.every((d, i) => Math.sign(d) === way[i]), `${how}, the disc moves by ${moved}`);
  return moved;
}

module.exports = {BLACK, CLOCK, DISC, ENGINES, closeBrowsers, FLOOR, Failure, GREY, MONSTER, WHITE, Picture, STATUS, WAYS, check, firstFrame,
                  nudge, open, openWay, pace, serve, served, sha256, sleep, still, waitFor};
