// service-worker.js -- keeps the page working offline once loaded, and gives it the headers
// that make it cross-origin isolated (its threads need them) wherever it is hosted.
const cacheName = "fretstrummer";
const files = ["./", "index.html", "index.js", "index.wasm", "index.worker.js", "index.data",
               "manifest.webmanifest", "icon.png"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files)));
  self.skipWaiting();
});
self.addEventListener("activate", (event) => event.waitUntil(self.clients.claim()));

function isolated(response) {
  if (!response || response.status === 0) return response;
  const headers = new Headers(response.headers);
  headers.set("Cross-Origin-Opener-Policy", "same-origin");
  headers.set("Cross-Origin-Embedder-Policy", "require-corp");
  headers.set("Cross-Origin-Resource-Policy", "same-origin");
  return new Response(response.body, { status: response.status, statusText: response.statusText,
                                       headers });
}

// From the cache at once, refreshed from the network behind it for the next visit; from the
// network when the file is not cached yet.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== location.origin) return;
  event.respondWith(caches.open(cacheName).then(async (cache) => {
    const cached = await cache.match(request, { ignoreSearch: true });
    const fresh = fetch(request).then((response) => {
      if (response.ok) cache.put(request, response.clone());
      return response;
    });
    if (cached) {
      event.waitUntil(fresh.catch(() => {}));
      return isolated(cached);
    }
    return isolated(await fresh);
  }));
});
