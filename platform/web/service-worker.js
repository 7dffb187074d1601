// service-worker.js -- keeps the page working offline once loaded, and gives it the headers
// that make it cross-origin isolated (the program with threads needs them) wherever it is
// hosted. The build writes its version in here: each build is cached whole, under a name of
// its own, and the page is only ever served from one.
const version = "@FRETSTRUMMER_WEB_VERSION@";
const cacheName = "fretstrummer-" + version;
const files = ["./", "index.html", "index.js", "index.wasm", "index.worker.js", "index.data",
               "index-single.js", "index-single.wasm", "manifest.webmanifest", "icon.png"];

// A new build is fetched whole in the background, past the browser's own cache, while the page
// plays on the one it started with; it takes over at the next start, once no page of the old
// build is open.
self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) =>
    cache.addAll(files.map((file) => new Request(file, { cache: "reload" })))));
});
// In charge, it lets the older builds' files go.
self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith("fretstrummer-") && name !== cacheName)
      .map((name) => caches.delete(name)))));
});

function isolated(response) {
  if (!response || response.status === 0) return response;
  const headers = new Headers(response.headers);
  headers.set("Cross-Origin-Opener-Policy", "same-origin");
  headers.set("Cross-Origin-Embedder-Policy", "require-corp");
  headers.set("Cross-Origin-Resource-Policy", "same-origin");
  return new Response(response.body, { status: response.status, statusText: response.statusText,
                                       headers });
}

// The build's files from its cache; anything else from the network.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== location.origin) return;
  event.respondWith(caches.open(cacheName).then(async (cache) =>
    isolated((await cache.match(request, { ignoreSearch: true })) || (await fetch(request)))));
});
