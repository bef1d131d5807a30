#!/usr/bin/python3
"""The web build's figures, taken in headless Chromium on this machine.

    bench/web_show.py [--site build-web/site] [--show build/show] [--starts 5] [--no-full]

Prints the site's size (raw and gzip-compressed), the time from the click to the first picture,
each scene's render time in the browser beside vantor-capture's, and, over a whole real-time run,
the frames presented late by more than their period and the music's drift from the show's clock.
"""
import argparse
import gzip
import json
import os
import statistics
import subprocess
import sys
import time

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path[:0] = [os.path.join(TOP, "tests", "web"), os.path.join(TOP, "web")]

import cdp  # noqa: E402
import serve  # noqa: E402
from web_test import click_start, start_page  # noqa: E402

SCENES = {6: "title-picture", 7: "text-pages", 8: "city", 9: "dream-picture", 10: "blob",
          11: "money-picture", 12: "land", 13: "last-picture"}


def site_size(site):
    rows, raw_total, gz_total = [], 0, 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        packed = len(gzip.compress(data, 6))
        rows.append((name, len(data), packed))
        raw_total += len(data)
        gz_total += packed
    print("| file | bytes | gzip -6 |\n|---|---:|---:|")
    for name, raw, packed in rows:
        print(f"| {name} | {raw} | {packed} |")
    print(f"| total | {raw_total} ({raw_total / 1048576:.2f} MiB) | {gz_total} "
          f"({gz_total / 1048576:.2f} MiB) |\n")


def click_to_picture(url, runs):
    times = []
    for _ in range(runs):
        with cdp.Browser() as browser:
            page = start_page(browser, url)
            click_start(page)
            times.append(page.wait_for("vantorStats.firstPictureAt !== null &&"
                                       " vantorStats.firstPictureAt - vantorStats.clickAt", 30))
    print(f"click to first picture over {runs} starts: median {statistics.median(times):.0f} ms, "
          f"min {min(times):.0f} ms, max {max(times):.0f} ms\n")


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(p * (len(values) - 1) + 0.5))]


def render_times(url, show):
    capture = os.path.join(show, "vantor-capture")
    out = subprocess.run([capture, "--data", show, "--profile-json"], capture_output=True,
                         text=True, check=True).stdout
    native = json.JSONDecoder().raw_decode(out[out.index("{"):])[0]  # among the banners
    native = {s["scene"]: s for s in native["scenes"]}
    with cdp.Browser() as browser:
        page = start_page(browser, url + "?check")
        page.wait_for("vantorStats.exit !== null", 600, poll=0.5)
        web = page.evaluate("vantorStats.renderMs")
    print("| scene | frames | browser median / p99 / max ms | native median / p99 / max ms |")
    print("|---|---:|---:|---:|")
    for segment, name in SCENES.items():
        times = web.get(str(segment), [])[:-1]  # the last is the blank step's cleared frame
        if not times:
            continue
        n = native.get(name, {})
        print(f"| {name} | {len(times)} | {statistics.median(times):.3f} / "
              f"{percentile(times, 0.99):.3f} / {max(times):.2f} | "
              f"{n.get('median_ms', 0):.4f} / {n.get('p99_ms', 0):.4f} / {n.get('max_ms', 0):.2f} |")
    print()


def full_run(url):
    with cdp.Browser() as browser:
        page = start_page(browser, url)
        click_start(page)
        started = time.monotonic()
        page.wait_for("vantorStats.exit !== null", 400, poll=1)
        stats = page.evaluate("({late: vantorStats.late, music: vantorStats.music,"
                              " frames: vantorStats.frames.length, exit: vantorStats.exit})")
        errors = page.errors()
    counts = stats["frames"]
    print(f"whole run in real time: {time.monotonic() - started:.1f} s, {counts} frames, "
          f"exit {stats['exit']}, console errors {len(errors)}")
    print(f"frames late by more than their period: {stats['late']}")
    music = stats["music"] or {}
    print(f"music against the show's clock at the end: {music.get('driftMs', float('nan')):+.1f} ms "
          f"({music.get('starvedFrames')} frames the worklet waited for)\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", default=os.path.join(TOP, "build-web", "site"))
    parser.add_argument("--show", default=os.path.join(TOP, "build", "show"))
    parser.add_argument("--starts", type=int, default=5)
    parser.add_argument("--no-full", action="store_true", help="skip the whole real-time run")
    args = parser.parse_args()
    server = serve.serve(os.path.abspath(args.site))
    url = server.url + "index.html"
    site_size(args.site)
    click_to_picture(url, args.starts)
    render_times(url, os.path.abspath(args.show))
    if not args.no_full:
        full_run(url)
    server.shutdown()


if __name__ == "__main__":
    main()
