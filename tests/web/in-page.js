// What the web tests read and do inside a page, all under self.inPage: the test server
// (fixture.js) gives it to every page as /test.js, before the page's own scripts, after
// `self.inPageOptions = {clock, disc, touchButtons}`. It pins the page's clock, so that the
// first room is known, and notes every error the page meets and when the game read the clock
// for the canvas's last frame (`drawn`), however late the frame was put. Of the page's own state
// tests read only what page.js gives them (self.cavedotPage) and what any visitor sees.
'use strict';
self.inPage = (({clock, disc, touchButtons}) => {
  const inPage = {woke: 0, drawn: 0, read: 0, trace: null, errors: [], typed: []};
  inPage.clock = ms => Date.now = () => ms;
  inPage.clock(clock);
  const rawFrame = requestAnimationFrame, rawPut = CanvasRenderingContext2D.prototype.putImageData;
  const rawNow = performance.now.bind(performance), rawError = console.error;
  performance.now = () => inPage.read = rawNow();
  self.requestAnimationFrame = f => rawFrame(t => {
    inPage.woke = rawNow();
    f(t);
  });
  // While `trace` is a list, each frame put adds its disc() to it, however late it is read.
  CanvasRenderingContext2D.prototype.putImageData = function (...how) {
    inPage.drawn = inPage.read || rawNow();
    rawPut.apply(this, how);
    if (inPage.trace) inPage.trace.push(discIn(how[0]));
  };
  addEventListener('error', e => inPage.errors.push(e.message));
  addEventListener('unhandledrejection', e => inPage.errors.push(String(e.reason)));
  addEventListener('securitypolicyviolation',
                   e => inPage.errors.push('refused: ' + e.violatedDirective));
  console.error = (...words) => {
    inPage.errors.push(words.join(' '));
    rawError(...words);
  };
  addEventListener('keydown', e => inPage.typed.push(e.code));
  // A touch screen's buttons, where the browser has none to match the style.
  const buttons = '<style>.touch { display: revert !important; }</style>';
  if (touchButtons) document.head.insertAdjacentHTML('beforeend', buttons);
  // As a visitor sees it: hidden where it takes no room or is invisible; its text.
  const element = selector => document.querySelector(selector);
  inPage.hidden = selector => !element(selector)?.getClientRects().length
    || getComputedStyle(element(selector)).visibility === 'hidden';
  inPage.text = selector => element(selector).textContent;
  inPage.focused = selector => document.activeElement === element(selector);
  inPage.box = s => (r => [r.x, r.y, r.width, r.height])(element(s).getBoundingClientRect());
  inPage.inView = () => {
    const r = element('canvas').getBoundingClientRect(), all = document.documentElement;
    return inPage.drawn > 0 && r.left >= 0 && r.top >= 0 && r.right <= innerWidth
      && r.bottom <= innerHeight && !scrollX && !scrollY && all.scrollHeight <= innerHeight
      && all.scrollWidth <= innerWidth;
  };
  // [ms when drawn so, x, y]: the centre of the player's disc on the canvas.
  const [red, green, blue] = disc.split(',').map(Number);
  function discIn({data, width}) {
    let n = 0, x = 0, y = 0;
    for (let i = 0; i < data.length; i += 4) {
      if (data[i] !== red || data[i + 1] !== green || data[i + 2] !== blue) continue;
      n++;
      x += i / 4 % width;
      y += Math.floor(i / 4 / width);
    }
    return [inPage.drawn, x / n + 1, y / n + 1];
  }
  inPage.disc = () => {
    const canvas = element('canvas'), {width, height} = canvas;
    return discIn(canvas.getContext('2d').getImageData(0, 0, width, height));
  };
  // What page.js gives its tests on purpose: the colours high contrast shows, the keys the game
  // knows, how many key events it has yet to take.
  inPage.palette = () => self.cavedotPage.highContrast;
  inPage.keyCodes = () => self.cavedotPage.keyCodes();
  inPage.keysWaiting = () => self.cavedotPage.keysWaiting();
  // A frame answers 'state' with what the scenario reads of it from its host.
  addEventListener('message', e => e.data === 'state' && e.source.postMessage({
    errors: inPage.errors, disc: inPage.disc().slice(1), status: inPage.text('#status'),
    hold: !inPage.hidden('#hold-escape'), fullscreen: !inPage.hidden('#fullscreen')}, '*'));
  // What a frame of this page answers to 'state', asked till it answers.
  inPage.ask = frame => new Promise(done => {
    const window = element(frame).contentWindow;
    addEventListener('message', e => e.source === window && done(e.data));
    window.postMessage('state', '*');
    setInterval(() => window.postMessage('state', '*'), 200);
  });
  // Pads scripted: navigator.getGamepads gives `pads`, counting its calls in `padReads`.
  inPage.scriptPads = pads => {
    Object.assign(inPage, {pads, padReads: 0});
    navigator.getGamepads = () => (inPage.padReads++, inPage.pads);
    dispatchEvent(new Event('gamepadconnected'));
  };
  // Fingers (`now`, as {id: [x, y]}, those on the screen now) made as the pointer events a
  // browser makes for them, each at the element it came down on; a finger lifted where it came
  // down also clicks. For WebKitWebDriver, whose touch actions reach the page as a mouse's.
  const fingers = {};
  inPage.fingers = now => {
    const fire = (type, id, [clientX, clientY]) => fingers[id].target.dispatchEvent(
      new PointerEvent(type, {pointerId: 2 + +id, pointerType: 'touch', clientX, clientY,
        isPrimary: id === Object.keys(fingers)[0], bubbles: true, cancelable: true,
        composed: true}));
    for (const [id, at] of Object.entries(now)) {
      const finger = fingers[id];
      if (finger && String(finger.at) === String(at)) continue;
      fingers[id] = {at, target: finger?.target || document.elementFromPoint(...at),
                     moved: Boolean(finger)};
      fire(finger ? 'pointermove' : 'pointerdown', id, at);
    }
    for (const id of Object.keys(fingers).filter(id => !(id in now))) {
      fire('pointerup', id, fingers[id].at);
      if (!fingers[id].moved) fingers[id].target.click();
      delete fingers[id];
    }
  };
  // Of a cache, each file's SHA-256 in hex ('' where it has none).
  inPage.digests = (cache, files) => caches.open(cache).then(c => Promise.all(files.map(f =>
    c.match(f).then(r => r.arrayBuffer()).then(b => crypto.subtle.digest('SHA-256', b)).then(d =>
      [...new Uint8Array(d)].map(n => n.toString(16).padStart(2, '0')).join(''), () => ''))));
  // The state the service worker's next release reaches: installed, redundant (refused), or
  // none within `seconds`.
  inPage.update = seconds => navigator.serviceWorker.getRegistration().then(r =>
    new Promise(done => {
      r.addEventListener('updatefound', () => r.installing.addEventListener('statechange',
        e => ['installed', 'redundant'].includes(e.target.state) && done(e.target.state)));
      r.update().catch(() => {});
      setTimeout(() => done('none'), seconds * 1000);
    }));
  // The state of the page's service worker: its active one's, else that of one on its way.
  inPage.workerState = () => navigator.serviceWorker.getRegistration().then(r => !r ? 'none'
    : (r.active || r.waiting || r.installing)?.state || 'registered, none installing');
  return inPage;
})(self.inPageOptions);
