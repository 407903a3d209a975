// Keeps the page's files, fetched once when the page is first loaded, and
// serves them from there, so that the game plays again without a network.
// tools/build-web writes in each file with its SHA-256, and names the release
// by their content. A new release's worker fills a cache of its own and is
// installed only once every file has arrived with the bytes it names: a server
// caught between two releases leaves the old one whole, and the install is
// tried again on a later visit. It takes over when no open page uses the old
// release any more, and only then deletes the old cache: a page never mixes
// the files of two releases.
const FILES = {FILES};
const RELEASE = 'RELEASE';
// The caches of this copy of the game, named by where it is served from: an
// origin may hold other apps, and other copies of the game at other paths,
// whose caches are theirs.
const OURS = `cavedot ${self.registration.scope} `;
const CACHE = OURS + RELEASE;

const hexByte = byte => byte.toString(16).padStart(2, '0');
const hex = digest => Array.from(new Uint8Array(digest), hexByte).join('');

// Keeps the file as the server has it, if it is this release's. The server is
// only asked whether the page's own copy is still current: most often it is,
// and the file is not sent again. The page is asked for by its folder's
// address, as it was most likely loaded, and kept under both its names.
async function keep(cache, file, sum) {
  const names = file === 'index.html' ? ['./', file] : [file];
  const response = await fetch(names[0], {cache: 'no-cache'});
  if (!response.ok) throw Error(`${file}: ${response.status} ${response.statusText}`);
  const digest = await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer());
  if (hex(digest) !== sum) {
    throw Error(`${file} on the server is not this release's`);
  }
  await Promise.all(names.map(name => cache.put(name, response.clone())));
}

// A release that did not arrive whole leaves no cache behind.
async function install() {
  const cache = await caches.open(CACHE);
  try {
    await Promise.all(Object.entries(FILES).map(([file, sum]) => keep(cache, file, sum)));
  } catch (error) {
    await caches.delete(CACHE);
    throw error;
  }
}
self.addEventListener('install', event => event.waitUntil(install()));

self.addEventListener('activate', event => {
  const older = name => name.startsWith(OURS) && name !== CACHE;
  event.waitUntil(caches.keys()
      .then(names => Promise.all(names.filter(older).map(name => caches.delete(name)))));
});

self.addEventListener('fetch', event => {
  event.respondWith(caches.open(CACHE)
      .then(cache => cache.match(event.request, {ignoreSearch: true}))
      .then(kept => kept || fetch(event.request)));
});
