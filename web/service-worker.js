// Keeps the page's files for play without a network. A release (its name, its
// cache's name and each file's SHA-256, written in by tools/web-release) is
// installed only once every file has the bytes named, else tried again on a
// later visit: a server caught mid-upload leaves the old one whole. It takes
// over, deleting the old caches, once no page uses the old one: a page never
// mixes two releases.
const RELEASE = 'RELEASE';
const FILES = RELEASE.files;
const SCOPE = self.registration.scope;
// One for each release of each copy (path) of the game.
const CACHE = RELEASE.cache.replace('{scope}', SCOPE);
const OURS = new Set(['./', ...Object.keys(FILES)].map(file => new URL(file, SCOPE).href));

const hexByte = byte => byte.toString(16).padStart(2, '0');
const sha256 = async response => Array.from(new Uint8Array(
    await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer())), hexByte).join('');

// The file with the bytes named, downloaded only where no copy is at hand:
// one a cache holds at its address (the page's copy of the code, see page.js,
// or an earlier release's unchanged file), else the HTTP cache's, else the
// server's.
async function find(file, address, sum) {
  for (const name of await caches.keys()) {
    const kept = await caches.open(name).then(cache => cache.match(address));
    if (kept && await sha256(kept) === sum) return kept;
  }
  for (const cache of ['force-cache', 'no-cache']) {
    const response = await fetch(address, {cache});
    if (!response.ok) throw Error(`${file}: ${response.status} ${response.statusText}`);
    if (await sha256(response) === sum) return response;
  }
  throw Error(`${file} on the server is not this release's`);
}

// The page is found at its folder's address, as most often loaded, and kept
// under both names.
async function keep(cache, file, sum) {
  const names = file === 'index.html' ? ['./', file] : [file];
  const response = await find(file, new URL(names[0], SCOPE).href, sum);
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

// Deletes the caches that hold this copy's files alone, its earlier releases'
// whatever their names, and the page's copy of the code: those of another app,
// or of a copy at another path, hold other addresses.
async function dropOlder() {
  for (const name of await caches.keys()) {
    if (name === CACHE) continue;
    const held = await caches.open(name).then(cache => cache.keys());
    if (held.length && held.every(request => OURS.has(request.url))) await caches.delete(name);
  }
}
self.addEventListener('activate', event => event.waitUntil(dropOlder()));

self.addEventListener('fetch', event => {
  event.respondWith(caches.open(CACHE)
      .then(cache => cache.match(event.request, {ignoreSearch: true}))
      .then(kept => kept || fetch(event.request)));
});
