// Keeps the page's files, fetched once when the page is first loaded, and
// serves them from there, so that the game plays again without a network.
// tools/build-web names the cache by the content of the page's files. A new
// release's worker fills a cache of its own, each file fetched afresh past the
// browser's HTTP cache, and is installed only once every file has arrived. It
// takes over when no open page uses the old release any more, and only then
// deletes the old cache: a page never mixes the files of two releases.
const CACHE = 'cavedot-CONTENT';
const FILES = ['./', 'index.html', 'page.js', 'page.css', 'cavedot.js', 'cavedot.wasm', 'cavedot.webmanifest',
               'cavedot-32.png', 'cavedot-128.png', 'cavedot-180.png', 'cavedot-256.png'];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE)
      .then(cache => cache.addAll(FILES.map(file => new Request(file, {cache: 'reload'}))))
      .catch(error => caches.delete(CACHE).then(() => { throw error; })));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
      .then(names => Promise.all(names.filter(name => name !== CACHE).map(name => caches.delete(name)))));
});

self.addEventListener('fetch', event => {
  event.respondWith(caches.open(CACHE)
      .then(cache => cache.match(event.request, {ignoreSearch: true}))
      .then(kept => kept || fetch(event.request)));
});
