// service-worker.js -- keeps one build of the page whole, so that it works offline, and gives
// it the headers that make it cross-origin isolated (its threads need them) wherever it is
// hosted. The build writes its name and files in here: a new build is a new worker, which the
// browser fetches in the background and which takes over when the page next starts.
const build = "@FRETSTRUMMER_BUILD@";
const cacheName = "fretstrummer-" + build;
const files = ["./", "@FRETSTRUMMER_FILES@"];

// The build is fetched whole from the server, past any HTTP cache, or not at all.
self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) =>
    cache.addAll(files.map((file) => new Request(file, { cache: "reload" })))));
});

// Once in charge, the other builds' caches go.
self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith("fretstrummer-") &&
                                                        name !== cacheName)
                                   .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page, as it starts and before it loads the program, asks a waiting build to take over.
self.addEventListener("message", (event) => {
  if (event.data === "take over") self.skipWaiting();
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

// The build's files from its cache only; anything else from the network.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== location.origin) return;
  event.respondWith(caches.open(cacheName).then(async (cache) => {
    const cached = await cache.match(request, { ignoreSearch: true });
    return isolated(cached || await fetch(request));
  }));
});
