#!/usr/bin/env python3
"""Serves the web build on this machine only and prints its address.

    web/serve.py [--port N] [SITE_DIR]      (default: build-web/site, port 8060)

Any static web server can host the site; this one is for watching it locally and for the tests.
"""
import argparse
import functools
import http.server
import os
import sys
import threading

HOST = "127.0.0.1"


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".data": "application/octet-stream", ".html": "text/html; charset=utf-8"}

    def end_headers(self):
        # A rebuilt site is seen at the next reload.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, *args):
        if self.server.verbose:
            super().log_message(*args)


def serve(site, port=0, verbose=False):
    """A running server for site in a thread of its own; its URL is server.url."""
    handler = functools.partial(SiteHandler, directory=site)
    server = http.server.ThreadingHTTPServer((HOST, port), handler)
    server.verbose = verbose
    server.daemon_threads = True
    server.url = f"http://{HOST}:{server.server_address[1]}/"
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Serve the web build on 127.0.0.1.")
    parser.add_argument("site", nargs="?", default=os.path.join(here, "..", "build-web", "site"))
    parser.add_argument("--port", type=int, default=8060, help="0 takes any free port")
    args = parser.parse_args()
    site = os.path.abspath(args.site)
    if not os.path.isfile(os.path.join(site, "index.html")):
        print(f"serve.py: no site in {site}: build it first with scripts/web.sh", file=sys.stderr)
        return 1
    try:
        server = serve(site, args.port, verbose=True)
    except OSError as e:
        print(f"serve.py: cannot listen on {HOST}:{args.port}: {e.strerror}", file=sys.stderr)
        return 1
    print(f"vantor6 is served at {server.url}  (from {site}; Ctrl-C stops)", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        print()
    server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
