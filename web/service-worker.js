// Keeps the page's files, fetched once when the page is first loaded, and
// serves them from there, so that the game plays again without a network.
// tools/build-web names the cache by the content of the page's files: a new
// release installs a new cache, and the old one goes.
const CACHE = 'cavedot-CONTENT';
const FILES = ['./', 'index.html', 'cavedot.js', 'cavedot.wasm', 'cavedot.webmanifest',
               'cavedot-32.png', 'cavedot-128.png', 'cavedot-180.png', 'cavedot-256.png'];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE).then(cache => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
      .then(names => Promise.all(names.filter(name => name !== CACHE).map(name => caches.delete(name))))
      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', event => {
  event.respondWith(caches.open(CACHE)
      .then(cache => cache.match(event.request, {ignoreSearch: true}))
      .then(kept => kept || fetch(event.request)));
});
