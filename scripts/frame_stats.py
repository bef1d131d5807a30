#!/usr/bin/env python3
"""Pacing, present cost, start-up and memory of a real program's run, from its frame log.

    VANTOR_FRAME_LOG=frames.log ./vantor-x11
    scripts/frame_stats.py frames.log            # a table
    scripts/frame_stats.py --json frames.log     # the same figures as one JSON object

Per scene: frames; the target period and the mean period between presents; the jitter (99th
percentile of |period - target|), between presents and between frame starts, where the frame
wait hands over (the difference is the variation of the drawing time); render and present times
(median, 99th percentile, maximum); and the share of one core that the program used while the
scene ran. Then the start-up (from the
process's start to the first present, and to the first frame of the first scene) and the peak
resident memory of the program and of its music process.
"""
import argparse
import json
import signal
import sys
from collections import OrderedDict


class LogError(Exception):
    pass


def percentile(values, p):
    """Nearest rank, as the capture's profile takes it."""
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p * (len(ordered) - 1) + 0.5))]


def parse(lines):
    """The log's start, frames (a dict per line) and peaks (kB by process)."""
    start, frames, peaks = None, [], {}
    for number, line in enumerate(lines, 1):
        fields = line.split()
        try:
            if not fields:
                continue
            if fields[0] == "start" and len(fields) == 3:
                start = {"exec_us": int(fields[1]), "open_us": int(fields[2])}
            elif fields[0] == "frame" and len(fields) == 7:
                end, render, present, cpu, period = map(int, fields[2:])
                frames.append({"scene": fields[1], "end_us": end, "render_us": render,
                               "present_us": present, "cpu_us": cpu, "period_ms": period})
            elif fields[0] == "peak" and len(fields) == 3:
                peaks[fields[1]] = max(peaks.get(fields[1], 0), int(fields[2]))
            else:
                raise ValueError
        except ValueError:
            raise LogError(f"line {number} is not a frame log line: {line.rstrip()!r}")
    if start is None:
        raise LogError("no start line: not a frame log")
    if not frames:
        raise LogError("no frames were presented")
    return start, frames, peaks


def frame_start_us(frame):
    return frame["end_us"] - frame["present_us"] - frame["render_us"]


def scene_figures(frames):
    """Figures of one scene's frames, in the order they were presented."""
    periods, offsets, start_offsets = [], [], []
    for previous, frame in zip(frames, frames[1:]):
        if frame["period_ms"] > 0:
            period = (frame["end_us"] - previous["end_us"]) / 1000
            periods.append(period)
            offsets.append(abs(period - frame["period_ms"]))
            start_period = (frame_start_us(frame) - frame_start_us(previous)) / 1000
            start_offsets.append(abs(start_period - frame["period_ms"]))
    render = [f["render_us"] / 1000 for f in frames]
    present = [f["present_us"] / 1000 for f in frames]
    wall = frames[-1]["end_us"] - frames[0]["end_us"]
    cpu = frames[-1]["cpu_us"] - frames[0]["cpu_us"]
    targets = sorted({f["period_ms"] for f in frames if f["period_ms"] > 0})
    return OrderedDict(
        frames=len(frames),
        target_ms=targets[0] if len(targets) == 1 else None,
        mean_period_ms=sum(periods) / len(periods) if periods else None,
        jitter_p99_ms=percentile(offsets, 0.99) if offsets else None,
        start_jitter_p99_ms=percentile(start_offsets, 0.99) if start_offsets else None,
        render_median_ms=percentile(render, 0.5),
        render_p99_ms=percentile(render, 0.99),
        render_max_ms=max(render),
        present_median_ms=percentile(present, 0.5),
        present_p99_ms=percentile(present, 0.99),
        cpu_share=cpu / wall if wall > 0 else None,
    )


def figures(lines):
    start, frames, peaks = parse(lines)
    scenes = OrderedDict()
    for frame in frames:
        if frame["scene"] != "blank":
            scenes.setdefault(frame["scene"], []).append(frame)
    first_scene = next((f for f in frames if f["scene"] != "blank"), None)
    exec_us = start["exec_us"]
    return OrderedDict(
        scenes=OrderedDict((name, scene_figures(f)) for name, f in scenes.items()),
        present=OrderedDict(
            median_ms=percentile([f["present_us"] / 1000 for f in frames], 0.5),
            p99_ms=percentile([f["present_us"] / 1000 for f in frames], 0.99)),
        startup=OrderedDict(
            to_first_present_s=(frames[0]["end_us"] - exec_us) / 1e6,
            to_first_scene_s=(first_scene["end_us"] - exec_us) / 1e6 if first_scene else None),
        peak_kb=OrderedDict(sorted(peaks.items())),
    )


def text(run):
    def cell(value, width, digits=3):
        return f"{'-':>{width}}" if value is None else f"{value:>{width}.{digits}f}"

    out = [f"{'scene':<14} {'frames':>6} {'target':>7} {'period':>8} {'jitter99':>8} {'start99':>8} "
           f"{'render50':>8} {'render99':>8} {'rendermax':>9} {'present50':>9} "
           f"{'present99':>9} {'cpu%':>6}"]
    for name, s in run["scenes"].items():
        share = None if s["cpu_share"] is None else 100 * s["cpu_share"]
        out.append(f"{name:<14} {s['frames']:>6} {cell(s['target_ms'], 7, 1)} "
                   f"{cell(s['mean_period_ms'], 8)} {cell(s['jitter_p99_ms'], 8)} "
                   f"{cell(s['start_jitter_p99_ms'], 8)} "
                   f"{cell(s['render_median_ms'], 8)} {cell(s['render_p99_ms'], 8)} "
                   f"{cell(s['render_max_ms'], 9)} {cell(s['present_median_ms'], 9)} "
                   f"{cell(s['present_p99_ms'], 9)} {cell(share, 6, 1)}")
    out.append(f"present median {run['present']['median_ms']:.3f} ms "
               f"p99 {run['present']['p99_ms']:.3f} ms (all frames)")
    startup = run["startup"]
    out.append(f"start-up {startup['to_first_present_s']:.3f} s to the first present, "
               f"{cell(startup['to_first_scene_s'], 0)} s to the first scene")
    out.append("peak " + ", ".join(f"{who} {kb / 1024:.1f} MB"
                                   for who, kb in run["peak_kb"].items()))
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("log", help="the file that VANTOR_FRAME_LOG named")
    parser.add_argument("--json", action="store_true", help="one JSON object instead of a table")
    args = parser.parse_args()
    try:
        with open(args.log) as log:
            run = figures(log)
    except (OSError, UnicodeDecodeError, LogError) as error:
        print(f"frame_stats.py: {args.log}: {error}", file=sys.stderr)
        return 2
    print(json.dumps(run, indent=1) if args.json else text(run))
    return 0


if __name__ == "__main__":
    # A reader that has seen enough (head, grep -q) ends the output quietly.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    sys.exit(main())
