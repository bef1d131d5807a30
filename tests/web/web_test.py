#!/usr/bin/python3
"""The web build in a real browser: headless Chromium on the built site, served on 127.0.0.1.

    web_test.py SITE frames CAPTURE SHOW   every frame's hash equals vantor-capture --hash's
    web_test.py SITE realtime              the real page with its music, started by a click
    web_test.py SITE pause                 a hidden tab stops the show and the music together
    web_test.py SITE page                  no WebAssembly, no AudioWorklet, the scale, the keys

Exits 77 (skipped) with a message when the browser, its driver or the web build is missing.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "web"))

SKIP = 77
# The scenes' frame periods by segment (see the scenes' headers), for the pacing checks.
PERIODS = {6: 50, 7: 60, 8: 70, 9: 50, 10: 70, 11: 50, 12: 70, 13: 50}


def skip(reason):
    print(f"skipped: {reason}")
    sys.exit(SKIP)


def check_tools(site):
    try:
        import websocket  # noqa: F401  (Debian's python3-websocket)
    except ImportError:
        skip("python3-websocket is not installed (scripts/deps.sh web)")
    import cdp
    if not os.access(cdp.CHROMIUM, os.X_OK):
        skip(f"{cdp.CHROMIUM} is not installed (scripts/deps.sh web)")
    if not os.path.isfile(os.path.join(site, "index.html")):
        if shutil.which("emcc") is None:
            skip("emscripten is not installed, so there is no web build (scripts/deps.sh web)")
        sys.exit(f"no web build in {site}: build it with scripts/web.sh")


class Failures:
    def __init__(self):
        self.count = 0

    def check(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        self.count += not ok


def start_page(browser, url, width=1024, height=768):
    page = browser.page
    page.send("Emulation.setDeviceMetricsOverride", width=width, height=height,
              deviceScaleFactor=1, mobile=False)
    page.navigate(url)
    return page


def click_start(page):
    page.wait_for("!document.getElementById('go').disabled", 60)
    x, y = page.evaluate("(() => { const r = document.getElementById('go')"
                         ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    page.click(x, y)


def capture_hashes(capture, show):
    run = subprocess.run([capture, "--data", show, "--hash"], capture_output=True, text=True,
                         check=True)
    return [line for line in run.stdout.splitlines() if line.startswith("s")]


def case_frames(browser, url, args, f):
    """The deterministic page prints the capture's hash line for every presented frame."""
    expected = capture_hashes(*args)
    page = start_page(browser, url + "?check")
    page.wait_for("window.vantorStats && vantorStats.exit !== null", 600, poll=0.5)
    got = [text for level, text in page.console if level == "log" and text[:1] == "s"]
    first_difference = next((i for i, (a, b) in enumerate(zip(expected, got)) if a != b), None)
    f.check(first_difference is None,
            "every frame's hash equals the capture's" + (
                "" if first_difference is None else
                f": frame {first_difference} is '{got[first_difference]}', "
                f"the capture's '{expected[first_difference]}'"))
    f.check(len(got) == len(expected),
            f"the page presented {len(got)} frames, the capture {len(expected)}")
    f.check(page.evaluate("vantorStats.exit") == 0, "the program ended with status 0")
    f.check(page.evaluate("!document.getElementById('end').hidden"), "the end screen is shown")
    # Watching again starts a fresh program: its frames are the first run's again.
    seen = len(page.console)
    x, y = page.evaluate("(() => { const r = document.getElementById('again')"
                         ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    page.click(x, y)
    page.wait_for("vantorStats.frames.length >= 400", 120, poll=0.2)
    again = [text for level, text in page.console[seen:] if level == "log" and text[:1] == "s"]
    f.check(len(again) >= 400 and again[:400] == expected[:400],
            "watched again, the first 400 frames are the same")
    f.check(not page.errors(), "no errors in the console: " + "; ".join(page.errors()))


def music_position(page):
    """The show's clock and the music's position since the music started, in ms."""
    return page.evaluate("[clock.now() - music.startedAt, musicPosition() * 1000 / 44100]")


def frame_intervals(frames, segment):
    times = [t for s, t in frames if s == segment]
    return [b - a for a, b in zip(times, times[1:])]


def case_realtime(browser, url, args, f):
    """The real page, started by a click: frames at the scenes' periods and the music playing."""
    page = start_page(browser, url)
    click_start(page)
    page.wait_for("music.played > 44100 * 6", 30)
    f.check(page.evaluate("sound.ctx.state") == "running", "the AudioContext runs")
    peak = page.evaluate("(() => { const a = new Float32Array(sound.analyser.fftSize);"
                         " sound.analyser.getFloatTimeDomainData(a);"
                         " return a.reduce((m, v) => Math.max(m, Math.abs(v)), 0); })()")
    f.check(peak > 0.01, f"the analysed output is not silent (peak {peak:.3f})")
    frames = page.evaluate("vantorStats.frames")
    intervals = frame_intervals(frames, 6)
    median = statistics.median(intervals) if intervals else 0
    f.check(len(intervals) > 50 and abs(median - PERIODS[6]) <= 2,
            f"the first picture's {len(intervals) + 1} frames came every {median:.1f} ms "
            f"(its period is {PERIODS[6]} ms)")
    show_ms, music_ms = music_position(page)
    f.check(abs(show_ms - music_ms) < PERIODS[6],
            f"the music keeps to the show's clock ({music_ms:.0f} ms of music "
            f"in {show_ms:.0f} ms of show)")
    f.check(not page.errors(), "no errors in the console: " + "; ".join(page.errors()))


def case_pause(browser, url, args, f):
    """A hidden tab stops the show's clock, its frames and the music; both go on together."""
    page = start_page(browser, url)
    click_start(page)
    page.wait_for("music.played > 44100 * 2", 30)
    show0, music0 = music_position(page)
    frames0 = page.evaluate("vantorStats.frames.length")
    f.check(frames0 > 30, f"the show runs ({frames0} frames)")
    other = page.send("Target.createTarget", url="about:blank")["targetId"]
    page.wait_for("document.hidden", 10)
    time.sleep(0.3)
    show1, music1 = music_position(page)
    frames1 = page.evaluate("vantorStats.frames.length")
    time.sleep(2)
    show2, music2 = music_position(page)
    frames2 = page.evaluate("vantorStats.frames.length")
    f.check(show2 == show1 and frames2 == frames1,
            f"hidden for 2 s, the show stood still ({show2 - show1:.0f} ms, "
            f"{frames2 - frames1} frames)")
    f.check(abs(music2 - music1) < 30, f"... and so did the music ({music2 - music1:.0f} ms)")
    page.send("Target.closeTarget", targetId=other)
    page.wait_for("!document.hidden && clock.pausedAt === null", 10)
    time.sleep(2)
    show3, music3 = music_position(page)
    frames3 = page.evaluate("vantorStats.frames.length")
    f.check(frames3 - frames2 > 20, f"shown again, the frames go on ({frames3 - frames2} in 2 s)")
    shown_ms = (show1 - show0) + (show3 - show2)
    f.check(abs((music3 - music0) - (show3 - show0)) < PERIODS[6],
            f"the music went on in step with the show ({music3 - music0:.0f} ms of music, "
            f"{show3 - show0:.0f} ms of show, {shown_ms:.0f} ms of that while visible)")
    f.check(page.evaluate("sound.ctx.state") == "running", "the AudioContext runs again")
    f.check(not page.errors(), "no errors in the console: " + "; ".join(page.errors()))


SCALES = [
    # window width, height, device pixel ratio -> device pixels per frame pixel, CSS size
    ((1024, 768, 1), 3, 960, 720),
    ((1920, 1080, 1), 4, 1280, 960),
    ((1280, 720, 1), 3, 960, 720),
    ((1366, 768, 1.25), 4, 1024, 768),
    ((1440, 900, 2), 7, 1120, 840),
    ((320, 240, 1), 1, 320, 240),
]


def case_page(browser, url, args, f):
    """What the page does on its own: the scale, the keys, and the browsers it cannot serve."""
    page = start_page(browser, url, 1280, 720)
    for (w, h, dpr), scale, css_w, css_h in SCALES:
        s = page.evaluate(f"vantorScale({w}, {h}, {dpr})")
        f.check((s["scale"], s["width"], s["height"]) == (scale, css_w, css_h),
                f"{w}x{h} at {dpr} device pixels: {s['scale']} per frame pixel, "
                f"{s['width']}x{s['height']}")
        f.check(s["left"] * dpr == int(s["left"] * dpr) and s["top"] * dpr == int(s["top"] * dpr),
                "... placed on whole device pixels")
    small = page.evaluate("vantorScale(300, 200, 1)")
    f.check(small["width"] <= 300 and small["height"] <= 200 and small["height"] * 4 == small["width"] * 3,
            "a window smaller than the frame still shows all of it, in proportion")
    click_start(page)
    page.wait_for("vantorStats.frames.length > 2", 30)
    box = page.evaluate("(() => { const r = document.getElementById('screen')"
                        ".getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; })()")
    f.check(box == [160, 0, 960, 720], f"the canvas fills 1280x720 at scale 3, centred: {box}")
    page.key("m", "KeyM")
    f.check(page.evaluate("sound.muted") is True, "M mutes")
    page.key("m", "KeyM")
    f.check(page.evaluate("sound.muted") is False, "... and M again unmutes")
    page.key("f", "KeyF")
    f.check(page.wait_for("document.fullscreenElement !== null", 5), "F goes full screen")
    f.check(not page.errors(), "no errors in the console: " + "; ".join(page.errors()))

    # A browser without AudioWorklet shows the picture without music and says why.
    page.send("Page.addScriptToEvaluateOnNewDocument", source="delete window.AudioWorkletNode;")
    page.navigate(url)
    page.wait_for("!document.getElementById('go').disabled", 60)
    f.check(page.evaluate("document.getElementById('sound').disabled") and
            "No sound" in page.evaluate("document.getElementById('sound').textContent"),
            "without AudioWorklet the sound choice says there is none")


def case_no_wasm(url, f):
    import cdp
    # JIT-less V8 (as some browsers' strict security modes run it) has no WebAssembly.
    with cdp.Browser(args=["--js-flags=--jitless"]) as browser:
        page = start_page(browser, url)
        text = page.wait_for("!document.getElementById('failure').hidden &&"
                             " document.getElementById('failure').innerText", 10)
        f.check("WebAssembly" in text, "without WebAssembly the page says so: "
                + text.replace("\n", " ")[:100])
        f.check(page.evaluate("document.getElementById('start').hidden"),
                "... instead of the start screen")
        f.check(not page.errors(), "no errors in the console: " + "; ".join(page.errors()))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    site, case, args = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    check_tools(site)
    import cdp
    import serve
    server = serve.serve(site)
    url = server.url + "index.html"
    f = Failures()
    cases = {"frames": case_frames, "realtime": case_realtime, "pause": case_pause,
             "page": case_page}
    if case not in cases:
        sys.exit(__doc__)
    with cdp.Browser() as browser:
        cases[case](browser, url, args, f)
    if case == "page":
        case_no_wasm(url, f)
    server.shutdown()
    print(f"{case}: {f.count} failed")
    return 1 if f.count else 0


if __name__ == "__main__":
    sys.exit(main())
