#!/usr/bin/env python3
"""Serves the web page from a build folder on 127.0.0.1 only, with the headers that make it
cross-origin isolated (its threads need them). Prints the address it serves on.
usage: tools/serve_web.py [BUILD_DIR] [PORT]   (defaults: build-web, 8000; port 0 picks one)"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json"}

    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cross-Origin-Resource-Policy", "same-origin")
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build-web"
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(Handler, directory=folder))
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
