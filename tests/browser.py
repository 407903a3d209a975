"""The web game in a browser, for tests/web-test, bench/web-bench and tools/web-screenshots (tests/ on sys.path):
Server serves the page as a web server should, Chromium drives headless Chromium through its DevTools protocol
with real key events and touches, Picture reads the canvas as the game's pixels; a check that fails raises Failure."""
import base64, functools, http.server, json, os, shutil, struct, subprocess, tempfile, threading, time
import urllib.request
import websocket

GREY, FLOOR, WHITE, DISC, BLACK = (100, 99, 100), (10, 10, 10), (255, 255, 255), (55, 55, 55), (0, 0, 0)
STATUS = "document.getElementById('status').textContent"
CLOCK = 1790000004000  # ms: its first room has 298 pixels of floor right of the centre
KEYS = {'Left': ('ArrowLeft', 37), 'Right': ('ArrowRight', 39), 'Up': ('ArrowUp', 38),
        'Down': ('ArrowDown', 40), 'space': ('Space', 32), 'Escape': ('Escape', 27), 'Enter': ('Enter', 13)}


class Failure(Exception):  # says what was wrong
    pass


def check(ok, why):  # gives ok, if true
    if not ok:
        raise Failure(why)
    return ok


class Picture:  # scale: the picture's pixels per game pixel
    def __init__(self, png, scale=1):
        self.w, self.scale = struct.unpack('>I', png[16:20])[0], scale
        self.rgb = subprocess.run(['convert', 'png:-', '-depth', '8', 'rgb:-'], input=png, capture_output=True, check=True).stdout

    def at(self, x, y):  # the game's pixel, from the middle of its block
        i = 3 * (int((y + 0.5) * self.scale) * self.w + int((x + 0.5) * self.scale))
        return tuple(self.rgb[i:i + 3])

    def game(self):  # the game's 640x480 pixels
        return b''.join(bytes(self.at(x, y)) for y in range(480) for x in range(640))

    def colours(self):
        return {self.rgb[i:i + 3] for i in range(0, len(self.rgb), 3)}

    def label(self):  # "Level: 1" in the library's font: which pixels of its box are white
        return [self.at(x, y) == WHITE for y in range(1, 9) for x in range(1, 65)]

    def prompt_line(self, x, y, chars):  # its 8-pixel-high box is black and white only
        box = [self.at(i, j) for j in range(y, y + 8) for i in range(x, x + 8 * chars)]
        return BLACK in box and WHITE in box and set(box) <= {BLACK, WHITE}


# Serves a folder on this machine, quietly, until close(), as the read-me asks of a web server: a file's .br or
# .gz twin where the browser takes that encoding; and the headers given with each file.
class Server:
    def __init__(self, site, headers={}):
        class Quiet(http.server.SimpleHTTPRequestHandler):
            encoding, log_message = None, lambda *args: None

            def translate_path(self, path):
                plain = super().translate_path(path)
                accepted = self.headers.get('Accept-Encoding', '')
                self.encoding = next((e for e in ('br', 'gzip') if e in accepted and
                                      os.path.isfile(plain + '.' + e[:2])), None)
                return plain + '.' + self.encoding[:2] if self.encoding else plain

            def guess_type(self, path):
                return super().guess_type(path[:-3] if self.encoding else path)

            def end_headers(self):
                if self.encoding:
                    self.send_header('Content-Encoding', self.encoding)
                for header in headers.items():
                    self.send_header(*header)
                super().end_headers()
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Quiet, directory=site))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url, self.site = f'http://127.0.0.1:{self.server.server_port}', site

    def close(self):  # once or more
        self.server.shutdown()
        self.server.server_close()


# Headless Chromium with one page, opened at url, the game's clock fixed.
class Chromium:
    def __init__(self, url, flags=()):
        self.profile = tempfile.mkdtemp()
        self.process = subprocess.Popen(
            ['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--disable-quic', '--window-size=1024,900',
             '--remote-debugging-port=0', f'--user-data-dir={self.profile}', *flags, 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.pid, port_file = self.process.pid, os.path.join(self.profile, 'DevToolsActivePort')
        self.wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file), seconds=30)
        port = open(port_file).read().split()[0]
        pages = json.load(urllib.request.urlopen(f'http://127.0.0.1:{port}/json/list'))
        target = next(p for p in pages if p['type'] == 'page')
        self.socket = websocket.create_connection(target['webSocketDebuggerUrl'], suppress_origin=True, timeout=30)
        self.id, self.errors = 0, []  # errors: what the page logs as errors, and its uncaught exceptions
        for domain in ('Runtime', 'Log', 'Page'):
            self.call(f'{domain}.enable')
        # The game seeds its rooms from the clock: a fixed clock gives a known room.
        self.call('Page.addScriptToEvaluateOnNewDocument', source=f'Date.now = () => {CLOCK};')
        # When the page's animation-frame callbacks start: the game's timer reads the clock then.
        self.call('Page.addScriptToEvaluateOnNewDocument', source='''var woke = 0, rawFrame = requestAnimationFrame;
            requestAnimationFrame = f => rawFrame(t => { woke = performance.now(); f(t); });''')
        self.go(url)

    def go(self, url):
        self.call('Page.navigate', url=url)
        self.wait_for(lambda: self.eval('document.readyState') == 'complete')

    def reload(self):
        self.eval('var gone = true')
        self.call('Page.reload')
        self.wait_for(lambda: self.eval('!window.gone && document.readyState == "complete"'))

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def send(self, method, **params):  # a DevTools command; its answer is passed over by a later call
        self.id += 1
        self.socket.send(json.dumps({'id': self.id, 'method': method, 'params': params}))
        return self.id

    def call(self, method, **params):  # a DevTools command and its answer
        sent = self.send(method, **params)
        while True:
            try:
                reply = json.loads(self.socket.recv())
            except websocket.WebSocketTimeoutException:
                raise Failure(f'{method}: no answer in 30 s: the page does not give the browser its turn')
            event, params = reply.get('method'), reply.get('params')
            if event == 'Runtime.exceptionThrown' or event == 'Runtime.consoleAPICalled' and \
                    params['type'] == 'error' or event == 'Log.entryAdded' and params['entry']['level'] == 'error':
                self.errors.append(json.dumps(params)[:500])
            if reply.get('id') == sent:
                return check('error' not in reply, f'{method}: {reply.get("error")}') and reply['result']

    def eval(self, expression):
        return self.call('Runtime.evaluate', expression=expression, returnByValue=True, awaitPromise=True)['result'].get('value')

    def logged_errors(self):  # so far, up to the page's last message
        return self.call('Runtime.evaluate', expression='0') and self.errors

    def installability_errors(self):
        return self.call('Page.getInstallabilityErrors')['installabilityErrors']

    def offline(self):  # the network emulated offline, from now on
        self.call('Network.enable')
        self.call('Network.emulateNetworkConditions', offline=True, latency=0, downloadThroughput=-1, uploadThroughput=-1)

    def grab(self):  # the canvas as the screen shows it, in the screen's own pixels
        x, y, w, h, ratio = self.eval('(r => [r.x, r.y, r.width, r.height, devicePixelRatio])(canvas.getBoundingClientRect())')
        shot = self.call('Page.captureScreenshot', format='png', clip={'x': x, 'y': y, 'width': w, 'height': h, 'scale': 1})
        return Picture(base64.b64decode(shot['data']), w * ratio / 640)

    def emulate(self, width, height, ratio, touch):  # a screen, and a touch screen or not
        self.call('Emulation.setDeviceMetricsOverride', width=width, height=height, deviceScaleFactor=ratio, mobile=touch)
        self.call('Emulation.setTouchEmulationEnabled', enabled=touch, maxTouchPoints=2)

    def centre(self, element):
        return self.eval(f"(r => [r.x + r.width / 2, r.y + r.height / 2])(document.getElementById('{element}')"
                         ".getBoundingClientRect())")

    def click(self, element):  # with the mouse, at its centre
        x, y = self.centre(element)
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', type=kind, x=x, y=y, button='left', clickCount=1)

    def touch(self, kind, fingers={}):  # {finger: (x, y)}; all are lifted at once, in the fingers' order
        self.call('Input.dispatchTouchEvent', type=kind,
                  touchPoints=[{'x': x, 'y': y, 'id': i} for i, (x, y) in sorted(fingers.items())])

    def listeners(self):  # on the window
        window = self.call('Runtime.evaluate', expression='window')['result']['objectId']
        return sorted(f"{l['type']} {l['lineNumber']}" for l in self.call('DOMDebugger.getEventListeners', objectId=window)['listeners'])

    # Where the disc's centre is, [time, x, y], at an animation frame, with the time in ms at which the game woke
    # for that frame: it has drawn just before, in its own callback, requested earlier.
    def disc(self):
        return self.eval('''new Promise(done => rawFrame(() => {
            const time = woke, rgba = canvas.getContext('2d').getImageData(0, 0, 640, 480).data; let n = 0, x = 0, y = 0;
            for (let i = 0; i < rgba.length; i += 4) if (rgba[i] == 55 && rgba[i + 1] == 55 && rgba[i + 2] == 55) n++, x += i / 4 % 640, y += i / 2560 | 0;
            done([time, x / n + 1, y / n + 1]);
        }))''')

    def key(self, kind, *names, answered=True):  # by KEYS' name or code, each in turn; not answered: the next sent at once
        for code, vk in (KEYS.get(name, (name, 0)) for name in names):
            (self.call if answered else self.send)('Input.dispatchKeyEvent', type=kind, code=code,
                                                   key=' ' if code == 'Space' else code, windowsVirtualKeyCode=vk)

    def wait_for(self, read, until=bool, seconds=10):  # what read() gives once until() holds for it; else None
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if until(value := read()):
                return value
            time.sleep(0.05)


# A first frame in full view on a page with nothing to scroll: only the frame's colours on the screen, the disc at
# the centre and "Level: 1"; pixel for pixel the frame same, when given, the first at the same clock. Gives the frame.
def first_frame(browser, where, same=None):
    label = Picture(open(os.path.join(os.path.dirname(__file__), 'level1.png'), 'rb').read()).label()
    in_view = ('(r => r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight)(canvas.getBoundingClientRect())'
               ' && scrollX + scrollY == 0 && document.documentElement.scrollHeight <= innerHeight && '
               'document.documentElement.scrollWidth <= innerWidth')
    first = browser.wait_for(lambda: browser.eval(in_view) and browser.grab(), lambda p: p and p.label() == label)
    check(first, f'{where}: no first frame with "Level: 1" in full view on a page with nothing to scroll; the canvas is at '
          f'{browser.eval("JSON.stringify(canvas.getBoundingClientRect())")}, the page says: {browser.eval(STATUS)!r}')
    strays = first.colours() - {bytes(c) for c in (GREY, FLOOR, WHITE, DISC)}
    check(not strays, f'{where}: the first frame shows {sorted(tuple(c) for c in strays)[:5]}, none of the frame\'s colours')
    check(first.at(319, 239) == DISC, f'{where}: no disc at the centre: {first.at(319, 239)}')
    check(not same or first.game() == same.game(), f'{where}: the first frame is not the one of the same clock on the desktop')
    return first
