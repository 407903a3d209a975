// A slow network between a browser and a local server, for the web bench: a
// relay on loopback whose connections all share one link of a mobile's speed
// each way, with its round trip, the opening of each connection included. The
// browser's own throttling slows only the page's requests, not its service
// worker's; this slows every byte.
//   const link = await require('./slow-link')(serverPort);  // 1.5 Mbit/s, 150 ms
//   ... browse http://127.0.0.1:${link.port}/ ...
//   link.bytes()  // {down, up}: sent each way so far
//   await link.close();
'use strict';
const net = require('net');

const PIECE = 1460;  // bytes: a TCP segment's worth, so a large write trickles in

// A link one way: each piece leaves once the link is free, taking its time at
// the link's rate, and arrives half a round trip after.
function oneWay(bitsPerSecond, halfTrip, timers) {
  let free = 0;
  const link = {bytes: 0};
  // Sends data (or ends the socket, data null) to `to`, not before `earliest`.
  link.send = (to, data, earliest = 0) => {
    const pieces = [];
    for (let i = 0; data && i < data.length; i += PIECE) pieces.push(data.subarray(i, i + PIECE));
    if (!data) pieces.push(null);
    for (const piece of pieces) {
      const size = piece ? piece.length : 0;
      free = Math.max(performance.now(), free, earliest) + size * 8000 / bitsPerSecond;
      link.bytes += size;
      const timer = setTimeout(() => {
        timers.delete(timer);
        if (to.destroyed) return;
        if (piece) to.write(piece); else to.end();
      }, free + halfTrip - performance.now());
      timers.add(timer);
    }
  };
  return link;
}

// Listens on 127.0.0.1, on a port of its own; resolves to the link once it does.
function slowLink(target, {bitsPerSecond = 1.5e6, roundTrip = 150} = {}) {
  const timers = new Set(), sockets = new Set();
  const down = oneWay(bitsPerSecond, roundTrip / 2, timers);
  const up = oneWay(bitsPerSecond, roundTrip / 2, timers);
  const server = net.createServer({allowHalfOpen: true}, browser => {
    // The browser's first bytes leave only once the connection has opened: a round trip.
    const opened = performance.now() + roundTrip;
    const far = net.connect({port: target, host: '127.0.0.1', allowHalfOpen: true});
    for (const socket of [browser, far]) {
      sockets.add(socket);
      socket.on('close', () => sockets.delete(socket));
      socket.on('error', () => { browser.destroy(); far.destroy(); });
    }
    browser.on('data', data => up.send(far, data, opened));
    browser.on('end', () => up.send(far, null, opened));
    far.on('data', data => down.send(browser, data));
    far.on('end', () => down.send(browser, null));
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => resolve({
      port: server.address().port,
      bytes: () => ({down: down.bytes, up: up.bytes}),
      close: () => new Promise(closed => {
        for (const timer of timers) clearTimeout(timer);
        for (const socket of sockets) socket.destroy();
        server.close(closed);
      }),
    }));
  });
}

module.exports = slowLink;
