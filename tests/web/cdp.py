"""A small client for Chromium's remote-debugging protocol: enough to drive the page in tests.

Debian's chromium runs headless with a private profile; one page is attached over a websocket
(Debian's python3-websocket). Console messages, page errors and failed loads are collected so a
test can insist on a clean console.
"""
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket

CHROMIUM = os.environ.get("VANTOR_CHROMIUM", "/usr/bin/chromium")


class CdpError(Exception):
    pass


class Page:
    def __init__(self, ws_url):
        self._ws = websocket.create_connection(ws_url, timeout=None, suppress_origin=True)
        self._lock = threading.Condition()
        self._replies = {}
        self._next_id = 0
        self.events = []
        self.console = []  # (level, text)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        while True:
            try:
                message = json.loads(self._ws.recv())
            except Exception:
                with self._lock:
                    self._replies[None] = True
                    self._lock.notify_all()
                return
            with self._lock:
                if "id" in message:
                    self._replies[message["id"]] = message
                else:
                    self.events.append(message)
                    self._note_console(message)
                self._lock.notify_all()

    def _note_console(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            self.console.append((params["type"], text))
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            text = details.get("exception", {}).get("description", details.get("text", ""))
            self.console.append(("error", text))
        elif method == "Log.entryAdded":
            entry = params["entry"]
            self.console.append((entry["level"], entry["text"] + " " + entry.get("url", "")))

    def send(self, method, timeout=60, **params):
        with self._lock:
            self._next_id += 1
            ident = self._next_id
            self._ws.send(json.dumps({"id": ident, "method": method, "params": params}))
            end = time.monotonic() + timeout
            while ident not in self._replies:
                if None in self._replies:
                    raise CdpError("the browser closed the connection")
                left = end - time.monotonic()
                if left <= 0:
                    raise CdpError(f"{method}: no answer in {timeout} s")
                self._lock.wait(left)
            reply = self._replies.pop(ident)
        if "error" in reply:
            raise CdpError(f"{method}: {reply['error'].get('message')}")
        return reply.get("result", {})

    def evaluate(self, expression, timeout=60):
        """The value of a JavaScript expression (promises are awaited), as JSON."""
        result = self.send("Runtime.evaluate", timeout=timeout, expression=expression,
                           awaitPromise=True, returnByValue=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise CdpError(details.get("exception", {}).get("description", details.get("text")))
        return result["result"].get("value")

    def wait_for(self, expression, timeout, poll=0.05):
        """Polls until the expression is truthy (an exception counts as false); its value."""
        end = time.monotonic() + timeout
        while True:
            try:
                value = self.evaluate(expression)
            except CdpError:
                value = None
            if value:
                return value
            if time.monotonic() > end:
                raise CdpError(f"timed out after {timeout} s waiting for: {expression}")
            time.sleep(poll)

    def wait_event(self, method, timeout=60, since=0):
        """The first event of that kind from index since on in self.events."""
        end = time.monotonic() + timeout
        with self._lock:
            while True:
                for event in self.events[since:]:
                    if event.get("method") == method:
                        return event
                left = end - time.monotonic()
                if left <= 0 or None in self._replies:
                    raise CdpError(f"no {method} in {timeout} s")
                self._lock.wait(left)

    def navigate(self, url, timeout=60):
        """Loads url and waits for its load event."""
        since = len(self.events)
        self.send("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired", timeout, since)

    def click(self, x, y):
        """A real (trusted) mouse click, which counts as a user gesture."""
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def key(self, key, code):
        for kind in ("keyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", type=kind, key=key, code=code)

    def screenshot(self, path):
        import base64
        data = self.send("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def errors(self):
        return [text for level, text in self.console if level == "error"]

    def close(self):
        try:
            self._ws.close()
        except Exception:
            pass


class Browser:
    """Headless Chromium with a page attached; a context manager that always ends it."""

    def __init__(self, width=1024, height=768, args=()):
        self._profile = tempfile.mkdtemp(prefix="vantor-chromium-")
        command = [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                   "--no-first-run", "--no-default-browser-check", "--disable-extensions",
                   "--remote-debugging-port=0", "--remote-debugging-address=127.0.0.1",
                   f"--user-data-dir={self._profile}", f"--window-size={width},{height}",
                   *args, "about:blank"]
        self._process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                         text=True)
        self.log = []
        port = self._wait_for_port()
        self.page = self._attach(port)
        for domain in ("Runtime.enable", "Log.enable", "Page.enable"):
            self.page.send(domain)

    def _wait_for_port(self):
        found = threading.Event()
        port = []

        def drain():
            for line in self._process.stderr:
                self.log.append(line)
                m = re.search(r"DevTools listening on ws://[^:]+:(\d+)/", line)
                if m and not found.is_set():
                    port.append(int(m.group(1)))
                    found.set()
            found.set()

        threading.Thread(target=drain, daemon=True).start()
        if not found.wait(60) or not port:
            self.close()
            raise CdpError("chromium did not start:\n" + "".join(self.log[-20:]))
        return port[0]

    def _attach(self, port):
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=30) as r:
            targets = json.load(r)
        pages = [t for t in targets if t["type"] == "page"]
        if not pages:
            raise CdpError("chromium has no page")
        return Page(pages[0]["webSocketDebuggerUrl"])

    def close(self):
        if getattr(self, "page", None):
            self.page.close()
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        shutil.rmtree(self._profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
