// The page's service worker: it keeps one version of the page's files, so that a page visited
// once with the network opens and works without it, installed or not.
//
// One cache per version, named by it. A version's files are taken into its cache only when each
// matches the digest the build wrote for it, so a server changing versions while they download
// fails the install (the next visit tries again) instead of keeping a mix. A newer worker waits
// until no tab uses the older one, then removes the older cache: a tab is served by one version
// from its first file to its last, and the newer version from the next visit on.
'use strict';

// The build replaces this line: the version (the project's and the files' digest) and each file's SHA-256.
const kPage = { version: 'unbuilt', files: {} };
const kCachePrefix = 'quorvale3config-';
const kCacheName = `${kCachePrefix}${kPage.version}`;

const fileUrl = (name) => new URL(name, self.registration.scope).href;
const hex = (digest) => [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, '0')).join('');

async function fetchChecked(name) {
  const reply = await fetch(fileUrl(name), { cache: 'no-cache' });
  if (!reply.ok) throw new Error(`${name}: HTTP ${reply.status}`);
  const bytes = await reply.arrayBuffer();
  if (hex(await crypto.subtle.digest('SHA-256', bytes)) !== kPage.files[name]) throw new Error(`${name} is not of version ${kPage.version}`);
  // The type goes with it: the module's .wasm is compiled as it streams only as application/wasm.
  return new Response(bytes, { headers: { 'Content-Type': reply.headers.get('Content-Type') || '' } });
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const names = Object.keys(kPage.files);
    const replies = await Promise.all(names.map(fetchChecked));
    const cache = await caches.open(kCacheName);
    await Promise.all(names.map((name, i) => cache.put(fileUrl(name), replies[i])));
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((keys) => Promise.all(keys
    .filter((key) => key.startsWith(kCachePrefix) && key !== kCacheName).map((key) => caches.delete(key)))));
});

// This version's files from its cache; anything else (the install files the page looks for) from
// the network as usual. The page's address itself, with or without a query, is index.html.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || 'index.html';
  if (!Object.hasOwn(kPage.files, name)) return;
  event.respondWith(caches.open(kCacheName)
    .then((cache) => cache.match(fileUrl(name)))
    .then((kept) => kept || fetch(request)));
});
