// The web game in a browser, for tests/web-test, bench/web-bench and tools/web-screenshots.
// serve() is the one test server; server.launch() opens a page on a fresh profile in Chromium or
// Firefox (puppeteer-core) or WebKitGTK (its WebKitWebDriver), behind one small interface.
// Picture reads the screen's pixels as the game's; firstFrame(), pace() and nudge() are the
// checks the scenarios share. A check that fails throws a Failure, which says what was wrong.
'use strict';
const {spawn} = require('child_process'), crypto = require('crypto'), fs = require('fs');
const http = require('http'), os = require('os'), path = require('path');

// The game's colours as the screen shows them, 'r,g,b'.
const [GREY, FLOOR, WHITE, DISC, BLACK, MONSTER] =
  ['100,99,100', '10,10,10', '255,255,255', '55,55,55', '0,0,0', '64,64,64'];
const CLOCK = 1790000004000;  // ms: its first room has 298 pixels of floor right of the centre
const sleep = ms => new Promise(done => setTimeout(done, ms));

class Failure extends Error {}
function check(ok, why) {
  if (!ok) throw new Failure(typeof why === 'function' ? why() : why);
  return ok;
}

// What read() gives once until() holds for it, read every 50 ms; past the time, a Failure that
// says what was awaited and what was last seen.
async function waitFor(what, read, {until = Boolean, seconds = 10} = {}) {
  const end = Date.now() + seconds * 1000;
  let value;
  do {
    value = await read();
    if (until(value)) return value;
    await sleep(50);
  } while (Date.now() < end);
  const seen = value instanceof Picture ? 'another picture' : JSON.stringify(value);
  throw new Failure(`waited ${seconds} s for ${what}; last saw ${String(seen).slice(0, 200)}`);
}

const IN_PAGE = fs.readFileSync(path.join(__dirname, 'in-page.js'), 'utf8');

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png':
  'image/png', '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json'};

// Serves folders as a web server would: each at its path (mounts: {'/': dir}), a file's .br or
// .gz twin where the browser takes that encoding, an ETag answered with 304, Cache-Control:
// no-cache unless `headers` say otherwise, and the test's script in each page (in-page.js), then
// server.script (a bench's counters); touchButtons, a touch screen's buttons shown. Offline, it
// answers nothing but that script, nor ever at the address `cut`. It counts its requests, the
// bytes it sends and, by address, how often it sent the file (`sends`) and its bytes the first
// time (`once`). What is made through it (servers, pages, folders) goes with it.
async function serve(mounts, {headers = {}, clock = CLOCK, touchButtons} = {}) {
  const server = {clock, script: '', offline: false, requests: 0, sent: 0, sends: {}, once: {}};
  const owned = [], own = thing => owned.push(thing) && thing;
  const httpServer = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://host');
    server.requests++;
    const options = JSON.stringify({clock: server.clock, disc: DISC, touchButtons});
    if (url.pathname === '/test.js') {
      return response.writeHead(200, {'Content-Type': TYPES['.js'], 'Cache-Control': 'no-store'})
        .end(`self.inPageOptions = ${options};\n${IN_PAGE}${server.script}`);
    }
    if (server.offline || url.pathname === server.cut) return request.socket.destroy();
    const file = fileAt(mounts, url.pathname);
    if (!file) return response.writeHead(404).end();
    const accepted = request.headers['accept-encoding'] || '';
    const taken = e => accepted.includes(e) && fs.existsSync(twin(file, e));
    const encoding = !rewritten(file) && ['br', 'gzip'].find(taken);
    const body = encoding ? fs.readFileSync(twin(file, encoding)) : served(file);
    const etag = `"${sha256(body).slice(0, 16)}"`;
    const known = request.headers['if-none-match'] === etag;
    server.sent += known ? 0 : body.length;
    server.once[url.pathname] ??= body.length;
    server.sends[url.pathname] = (server.sends[url.pathname] || 0) + !known;
    response.writeHead(known ? 304 : 200, {ETag: etag, Vary: 'Accept-Encoding',
      'Content-Type': TYPES[path.extname(file)] || 'text/plain', 'Cache-Control': 'no-cache',
      ...(encoding && {'Content-Encoding': encoding}), ...headers}).end(known ? undefined : body);
  });
  await new Promise(ready => httpServer.listen(0, '127.0.0.1', ready));
  return Object.assign(server, {url: `http://127.0.0.1:${httpServer.address().port}`,
    serve: (...how) => serve(...how).then(own), launch: (...how) => launch(...how).then(own),
    folder: () => (name => own({close: () => fs.rmSync(name, {recursive: true})}) && name)(
      fs.mkdtempSync(path.join(os.tmpdir(), 'web-test-'))),
    close: async () => {
      for (const thing of owned.reverse()) await Promise.resolve(thing.close()).catch(() => {});
      httpServer.closeAllConnections();
      httpServer.close();
    }});
}

// The file at an address: under the longest mount that holds it.
function fileAt(mounts, address) {
  const mount = Object.keys(mounts).filter(m => address.startsWith(m)).sort().pop();
  const index = address.endsWith('/') ? 'index.html' : '';
  const file = mount && path.join(mounts[mount], address.slice(mount.length), index);
  return file && fs.existsSync(file) && fs.statSync(file).isFile() && file;
}
const twin = (file, encoding) => `${file}.${encoding.slice(0, 2)}`;
const sha256 = bytes => crypto.createHash('sha256').update(bytes).digest('hex');

// What tools/web-release wrote of the release in a folder: its name, its cache's name with
// cacheAt(the copy's address), each file and its SHA-256.
function release(dir) {
  const made = JSON.parse(fs.readFileSync(path.join(dir, 'release.json'), 'utf8'));
  return {...made, cacheAt: scope => made.cache.replace('{scope}', scope)};
}

// A file as the server sends it: a page with the test's script first in its head, and so a
// service worker whose release names its pages by the bytes sent.
const rewritten = file => file.endsWith('.html') || path.basename(file) === 'service-worker.js';
function served(file) {
  if (!rewritten(file)) return fs.readFileSync(file);
  const text = fs.readFileSync(file, 'utf8'), script = '<script src="/test.js"></script>';
  if (file.endsWith('.html')) return Buffer.from(text.replace('<head>', `<head>${script}`));
  const dir = path.dirname(file), {files} = release(dir);
  const pages = Object.keys(files).filter(f => f.endsWith('.html'));
  const named = (body, page) => body.replace(files[page], sha256(served(path.join(dir, page))));
  return Buffer.from(pages.reduce(named, text));
}

const PNG = () => require('pngjs').PNG;  // here: --help runs before npm's packages are installed

// The screen's pixels ({width, data}, PNG's decoded), read as the game's: scale is the screen's
// pixels per game pixel.
class Picture {
  constructor({width, data}, scale = width / 640) { Object.assign(this, {width, data, scale}); }
  pixel(n) { return this.data.subarray(4 * n, 4 * n + 3).join(); }  // the screen's nth
  on(x) { return Math.floor((x + 0.5) * this.scale); }  // the screen's pixel of the game's x
  at(x, y) { return this.pixel(this.width * this.on(y) + this.on(x)); }  // the game's
  box(x, y, w, h) {  // row by row
    return Array.from({length: w * h}, (_, i) => this.at(x + i % w, y + Math.floor(i / w)));
  }
  game() { return this.box(0, 0, 640, 480).join(' '); }
  colours() { return new Set(Array.from({length: this.data.length / 4}, (_, n) => this.pixel(n))); }
  label() { return this.box(1, 1, 64, 8).map(c => c === WHITE ? 1 : 0).join(''); }  // "Level: 1"
  promptLine(x, y, chars) {  // a line of the prompt: its 8-pixel-high box is black and white only
    return [...new Set(this.box(x, y, 8 * chars, 8))].sort().join() === `${BLACK},${WHITE}`;
  }
}
let level1;
const LEVEL_1 = () => level1 ??= new Picture(
  PNG().sync.read(fs.readFileSync(`${__dirname}/../level1.png`)), 1).label();
// "Level: 2": the same with the library's 8x8 glyph of 2, a byte a row, in the last 8 columns.
const LEVEL_2 = () => LEVEL_1().match(/.{64}/g).map((row, y) => row.slice(0, 56) +
  [0x78, 0xCC, 0x0C, 0x38, 0x60, 0xCC, 0xFC, 0x00][y].toString(2).padStart(8, '0')).join('');

// Chromium by DevTools; Firefox by WebDriver BiDi, slow to start, so started once for each set
// of options when `shared`, each page in a browser context of its own, as new as a fresh
// profile. Firefox's touch screen (coarse pointers only) is a setting from its start.
const sharedBrowsers = new Map();
const FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update'];
async function puppeteerPage(engine, {touch, flags = [], prefs = {}, shared}) {
  const puppeteer = require('puppeteer-core');  // here: --help runs before it is installed
  const coarse = touch && {'ui.primaryPointerCapabilities': 1, 'ui.allPointerCapabilities': 1};
  const firefox = {browser: 'firefox', executablePath: '/usr/bin/firefox-esr',
                   extraPrefsFirefox: {...prefs, ...coarse}};
  const chromium = {executablePath: '/usr/bin/chromium', args: [...FLAGS, ...flags]};
  const start = () => puppeteer.launch({headless: true, defaultViewport: null,
                                        ...engine === 'chromium' ? chromium : firefox});
  const how = JSON.stringify([engine, touch, flags, prefs]);
  if ((shared &&= engine === 'firefox') && !sharedBrowsers.has(how)) {
    sharedBrowsers.set(how, start().catch(e => sharedBrowsers.delete(how) && Promise.reject(e)));
  }
  const browser = await (shared ? sharedBrowsers.get(how) : start());
  const context = shared && await browser.createBrowserContext();
  const page = context ? await context.newPage() : (await browser.pages())[0], logged = [];
  // Firefox's own loads of the page's icons, answered by its service worker, now and then end
  // in this, its word for an interception cut short: not the worker's fault, which it words
  // otherwise ("rejected with"). The icons the worker keeps are checked in its cache (copies).
  const cutShort = RegExp('^(Error: )?Failed to load \u2018[^\u2019]+\\.png\u2019\\. A ' +
                          'ServiceWorker intercepted the request and encountered an unexpected');
  const note = text => cutShort.test(text) || logged.push(text);
  page.on('console', m => m.type() === 'error' && note(m.text()));
  page.on('pageerror', e => note(String(e)));
  const cdp = engine === 'chromium' && await page.createCDPSession();
  const fingers = {};  // Firefox's: each finger on the screen by its own handle
  return {
    logged, cdp, pid: browser.process().pid,
    setViewport: ({width, height, ratio = 1, touch = false}) => page.setViewport({width, height,
      deviceScaleFactor: ratio, isMobile: touch, hasTouch: touch}).catch(e => {
      // An older Firefox ESR lacks the command for the screen's orientation, sent beside the size.
      if (!/unknown command/.test(e.message)) throw e;
      return page.mainFrame().browsingContext.setViewport({viewport: {width, height},
                                                           devicePixelRatio: ratio});
    }),
    goto: url => page.goto(url, {waitUntil: 'load'}), evaluate: page.evaluate.bind(page),
    reload: () => page.reload({waitUntil: 'load'}), mouseClick: (x, y) => page.mouse.click(x, y),
    key: (down, code) => page.keyboard[down ? 'down' : 'up'](code === 'Space' && !cdp ? ' ' : code),
    touch: async (type, down) => {  // down: {finger: [x, y]}, those on the screen after it
      const touchPoints = Object.entries(down).map(([id, [x, y]]) => ({x, y, id: +id}));
      if (cdp) return cdp.send('Input.dispatchTouchEvent', {type, touchPoints});
      for (const {id, x, y} of touchPoints) {
        if (fingers[id]) await fingers[id].move(x, y);
        else fingers[id] = await page.touchscreen.touchStart(x, y);
      }
      for (const id of Object.keys(fingers).filter(id => !(id in down))) {
        await fingers[id].end();
        delete fingers[id];
      }
    },
    screenshot: clip => page.screenshot({clip, type: 'png'}).then(b => PNG().sync.read(b)),
    close: () => (context || browser).close(),
  };
}
async function closeBrowsers() {
  for (const started of sharedBrowsers.values()) await started.then(b => b.close(), () => {});
  sharedBrowsers.clear();
}

// WebKitGTK on the X display, through WebKitWebDriver, in WebDriver's JSON. Its screen's pixel
// ratio is set from the start, for the whole browser, by GTK's scale.
async function webkitPage({ratio = 1}) {
  const probe = http.createServer();  // for a port free for the driver
  await new Promise(ready => probe.listen(0, ready));
  const {port} = probe.address();
  await new Promise(closed => probe.close(closed));
  const driver = spawn('WebKitWebDriver', [`--port=${port}`],
                       {stdio: 'ignore', env: {...process.env, GDK_SCALE: String(ratio)}});
  let session = '';
  const call = async (what, body, method = 'POST') => {
    const response = await fetch(`http://127.0.0.1:${port}/session${session}${what}`,
      {method, headers: {'Content-Type': 'application/json'}, body: body && JSON.stringify(body)});
    const {value} = await response.json();
    return check(!value?.error, () => `WebDriver ${what}: ${value.message}`) && value;
  };
  const wanted = {alwaysMatch: {browserName: 'MiniBrowser', timeouts: {script: 120000}}};
  const made = () => call('', {capabilities: wanted}).catch(() => null);  // once it listens
  const {sessionId, capabilities} = await waitFor('WebKitWebDriver to make a session', made)
    .catch(e => {
      driver.kill();
      throw e;
    });
  session = `/${sessionId}`;
  const act = (type, actions, parameters) =>
    call('/actions', {actions: [{type, id: type, parameters, actions}]});
  // A function run in the page with its arguments, as JSON both ways, as Playwright's are.
  const evaluate = async (fn, ...args) => {
    const script = `const [args, done] = arguments;
      (async () => (${fn})(...args))().then(v => done([v]), e => done({thrown: String(e)}));`;
    const got = await call('/execute/async', {args: [args], script});
    return Array.isArray(got) ? got[0] : check(false, `${String(fn).slice(0, 80)}: ${got.thrown}`);
  };
  return {
    logged: [], version: capabilities.browserVersion,  // WebKitGTK's
    setViewport: ({width, height}) => call('/window/rect', {width, height}),
    goto: url => call('/url', {url}), reload: () => call('/refresh', {}), evaluate,
    touch: (type, down) => evaluate(now => inPage.fingers(now), down),
    key: (down, code) => act('key', [{type: down ? 'keyDown' : 'keyUp',
                                      value: WEBDRIVER_KEYS[code]}]),
    mouseClick: (x, y) => act('pointer', [{type: 'pointerMove', x: Math.round(x), y: Math.round(y)},
      {type: 'pointerDown', button: 0}, {type: 'pointerUp', button: 0}], {pointerType: 'mouse'}),
    screenshot: async clip => {  // of the window, cropped here: its driver's crops are off
      const png = Buffer.from(await call('/screenshot', undefined, 'GET'), 'base64');
      const [x, y, width, height] = [clip.x, clip.y, clip.width, clip.height]
        .map(n => Math.round(n * ratio));
      const cropped = new (PNG())({width, height});
      PNG().bitblt(PNG().sync.read(png), cropped, x, y, width, height, 0, 0);
      return cropped;
    },
    close: () => call('', undefined, 'DELETE').catch(() => {}).finally(() => driver.kill()),
  };
}
const WEBDRIVER_KEYS = {Enter: '\uE007', Escape: '\uE00C', Space: ' ', ArrowLeft: '\uE012',
  ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', ShiftLeft: '\uE008',
  ControlLeft: '\uE009', AltLeft: '\uE00A', MetaLeft: '\uE03D', ShiftRight: '\uE050',
  ControlRight: '\uE051', AltRight: '\uE052', MetaRight: '\uE053'};

// A page of the engine on a fresh profile, its window 1024x768. Options: touch and ratio, a touch
// screen and the screen's pixel ratio where the engine sets them at its start (Firefox, WebKitGTK);
// flags, Chromium's; prefs, Firefox's settings; shared (above); log, for what the checks measure.
async function launch(engine, options = {}) {
  const page = await (engine === 'webkit' ? webkitPage(options) : puppeteerPage(engine, options));
  const {goto, reload} = page, left = [];  // errors of the pages left
  const taken = () => page.evaluate(() => self.inPage?.errors.splice(0) || []).catch(() => []);
  const leave = async () => left.push(...await taken());
  const read = what => selector => page.evaluate((what, s) => inPage[what](s), what, selector);
  Object.assign(page, {
    engine, log: options.log || (() => {}), status: () => page.text('#status'),
    reload: () => leave().then(reload), goto: url => leave().then(() => goto(url)),
    errors: () => leave().then(() => [...left, ...page.logged]),
    box: read('box'), hidden: read('hidden'), text: read('text'),  // as in-page.js reads them
    centre: selector => page.box(selector).then(([x, y, w, h]) => [x + w / 2, y + h / 2]),
    click: async selector => page.mouseClick(...await page.centre(selector)),
    down: code => page.key(true, code), up: code => page.key(false, code),
    press: code => page.down(code).then(() => page.up(code)),
    canvas: async () => {  // as the screen shows it
      const [x, y, width, height] = await page.box('#canvas');
      return new Picture(await page.screenshot({x, y, width, height}));
    },
    disc: () => page.evaluate(() => inPage.disc()),  // [ms when drawn so, x, y]
    workerReady: () => waitFor('the page\'s service worker to be activated', () =>
      page.evaluate(() => inPage.workerState()), {until: s => s === 'activated', seconds: 60}),
  });
  await page.setViewport({width: 1024, height: 768});
  return page;
}

// The first frame, in full view on a page with nothing to scroll: only the frame's colours, the
// disc at the centre, "Level: 1"; pixel for pixel the frame `same` if given. A frame like
// `unlike`, the canvas's last before a new game, is not taken for it; nor, after a reload, the
// last page's, which a browser may go on showing till the new one paints: the page's canvas
// must have been drawn.
async function firstFrame(page, {where, same, unlike}) {
  const inView = () => page.evaluate(() => inPage.inView()).catch(() => false);
  const shown = async () => await inView() && page.canvas();
  const isFirst = p => p && p.label() === LEVEL_1() && p.game() !== unlike?.game();
  const what = `${where}: a first frame with "Level: 1" in full view, nothing to scroll`;
  const first = await waitFor(what, shown, {until: isFirst, seconds: 60}).catch(async e => {
    throw new Failure(`${e.message}; the page says: ${await page.status().catch(() => '?')}`);
  });
  const strays = [...first.colours()].filter(c => ![GREY, FLOOR, WHITE, DISC].includes(c));
  check(!strays.length, () => `${where}: the first frame shows ${strays.slice(0, 5).join(' ')}`);
  check(first.at(319, 239) === DISC, `${where}: no disc at the centre: ${first.at(319, 239)}`);
  check(!same || first.game() === same.game(), `${where}: not the frame of the same clock`);
  return first;
}

const WAYS = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};

// Of the ways given, the one with the longest stretch of floor from the centre past the disc, so
// that no wall or exit stops it, and that length.
function openWay(first, ways = Object.keys(WAYS)) {
  const ahead = ([dx, dy], n = 8) => {
    while (n < 240 && first.at(320 + n * dx, 240 + n * dy) === FLOOR) n++;
    return n - 1;
  };
  const [reach, way] = ways.map(w => [ahead(WAYS[w]), w]).sort(([a], [b]) => b - a)[0];
  check(reach >= 200, `only ${reach} pixels of floor from the centre: choose another clock`);
  return {way, reach};
}

// The disc stands still once what was under way has been drawn.
async function still(page) {
  const at = () => sleep(250).then(page.disc).then(d => d.slice(1).join());
  return await at() === await at();
}

// While the way is held (press), the disc moves a pixel a tick, 140 pixels a second: timed from
// its first move for 1 s or half way to the wall (reach pixels from the centre), by the frames
// the page drew, each at the clock the game read for it, however late the test looks at them.
// `during` runs meanwhile. Let go (release), it stops.
async function pace(page, {how, way, reach, press, release, during = async () => {}}) {
  const axis = WAYS[way][0] ? 1 : 2, centre = axis === 1 ? 320 : 240;
  // The frames drawn since the press, each [ms, place on the way's axis].
  const frames = () => page.evaluate(axis => inPage.trace.map(d => [d[0], d[axis]]), axis);
  const seen = (what, until) => waitFor(`${what} while ${how} ${way}`, frames, {until}).then(until);
  const look = async () => {
    const off = trace => trace.find(([, p]) => Math.abs(p - centre) > 5);
    const [t0, p0] = await seen('the disc to move', off);
    const far = trace => trace.find(([t, p]) => t - t0 > 1000 || Math.abs(p - p0) > reach / 2);
    return [t0, p0, ...await seen('a second look', far)];
  };
  await page.evaluate(() => inPage.trace = []);
  await press();
  const [looked, meanwhile] = await Promise.allSettled([look(), during()]);
  for (const {reason} of [looked, meanwhile]) if (reason) throw reason;
  const [t0, p0, t1, p1] = looked.value, speed = Math.abs(p1 - p0) / (t1 - t0) * 1000;
  await release();
  await page.evaluate(() => inPage.trace = null);
  page.log(`${how} ${way}: ${Math.abs(p1 - p0).toFixed(0)} px in ${(t1 - t0).toFixed(0)} ms = ` +
           `${speed.toFixed(1)} px/s`);
  check(Math.abs(p1 - centre) < reach, 'the disc reached the wall before the second look');
  check((p1 - p0) * (WAYS[way][0] + WAYS[way][1]) > 0, `${how} ${way}, the disc moves back`);
  check(Math.abs(speed - 140) <= 7, `${how} ${way}, the disc moves at ${speed.toFixed(1)} px/s`);
  check(await still(page), `the disc goes on moving once ${how} ${way} has stopped`);
}

// Pressed, the disc moves 5 pixels or more on an axis, or on each axis of the way given if any
// ([dx, dy], each -1, 0 or 1), as the keys of a diagonal may reach the game a frame apart;
// released, it stops. Gives how far it moved on each axis.
async function nudge(page, {how, press, release, released = 'let go', way}) {
  const [, x, y] = await page.disc();
  await press();
  const far = ([, x1, y1]) => [Math.abs(x1 - x) > 4, Math.abs(y1 - y) > 4];
  const off = disc => way ? far(disc).every((f, i) => f || !way[i]) : far(disc).some(Boolean);
  const [, x1, y1] = await waitFor(`the disc to move while ${how}`, page.disc, {until: off});
  await release();
  check(await still(page), `the disc goes on moving after ${how}, once ${released}`);
  const by = [x1 - x, y1 - y];
  check(!way || by.every((d, i) => Math.sign(d) === way[i]), `${how}, the disc moves by ${by}`);
  return by;
}

module.exports = {BLACK, CLOCK, DISC, FLOOR, GREY, LEVEL_2, MONSTER, WAYS, WHITE, Failure, Picture,
                  check, closeBrowsers, firstFrame, launch, nudge, openWay, pace, release, serve,
                  served, sha256, sleep, still, waitFor};
