// Keeps one whole build of the page, so that once opened it starts without a network too, as an
// app on a tablet's home screen should. The browser installs a new build's worker beside the old
// one when it finds this file changed, and the old one goes once the new one holds every file.
const kept = "Nurvelo " + self.registration.scope + " ";
const version = kept + "@PAGE_VERSION@";
// Every file of this build, with the SHA-256 of its contents.
const files = Object.fromEntries("@PAGE_FILES@".split(" ").map((file) => file.split("=")));

const sha256 = async (response) => {
    const sum = await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer());
    return [...new Uint8Array(sum)].map((byte) => byte.toString(16).padStart(2, "0")).join("");
};

self.addEventListener("install", (event) => {
    // Past the browser's own cache, which may keep an older build's files for days where the
    // server says nothing about caching, and without asking whether they changed since, which a
    // server answers by their dates alone; and only if every file is this build's, so that a
    // folder caught half copied on the server is not kept.
    const keep = async () => {
        const fetched = await Promise.all(Object.entries(files).map(async ([file, sum]) => {
            const response = await fetch(file, { cache: "reload" });
            if (!response.ok || (await sha256(response)) !== sum)
                throw new Error(`${file} is not of this build`);
            return [file, response];
        }));
        const cache = await caches.open(version);
        await Promise.all(fetched.map(([file, response]) => cache.put(file, response)));
    };
    event.waitUntil(keep());
    self.skipWaiting();
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name.startsWith(kept) && name !== version)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
    // The build's files carry its version in their addresses, and the page may carry options.
    event.respondWith(caches.open(version)
        .then((cache) => cache.match(event.request, { ignoreSearch: true }))
        .then((file) => file || fetch(event.request)));
});
