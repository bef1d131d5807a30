#!/usr/bin/env python3
"""The one-way rule between the folders of the tree.

    layers.py SOURCE_DIR [--cmake CMAKE --graph-dir DIR]
    layers.py --self-test

Every folder builds only on the folders below it in LAYERS. Two checks hold the tree to it:
the includes (every #include "folder/..." of a source must name its own folder or one below
it) and, with --cmake, the CMake target graph (configured into DIR with --graphviz: no cycle
among the targets, and no target links a target of a folder above its own). Each broken rule
is printed with the file or target that broke it; the exit status is 1 when there is one.
"""
import os
import re
import subprocess
import sys
import tempfile

# Each folder and the folders it builds on directly; it may use those and all they build on.
LAYERS = {
    "data": [],
    "gfx2d": ["data"],
    "raster": ["gfx2d"],
    "engine3d": ["raster"],
    "flightpaths": [],
    "timeline": [],
    "platform": ["gfx2d"],
    "scenes2d": ["platform", "timeline"],
    "scenes3d": ["platform", "engine3d", "flightpaths", "timeline"],
    "display": ["platform"],
    "music": ["platform"],
    "driver": ["scenes2d", "scenes3d"],
    "capture": ["driver", "music"],
    "web": ["driver", "display", "music"],
    "content": ["gfx2d", "flightpaths", "timeline"],
}
# May use any folder: the tests and the benchmarks.
UNLAYERED = {"tests", "bench"}
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
TARGET = re.compile(r"\badd_(?:library|executable)\(\s*([\w.+-]+)")
EDGE = re.compile(r'^\s*"\w+" -> "\w+".*// (\S+) -> (\S+)\s*$')


def below(layers):
    """For every folder, all the folders it may use, itself left out."""
    def reach(folder, seen):
        for lower in layers[folder]:
            if lower not in seen:
                seen.add(lower)
                reach(lower, seen)
        return seen
    return {folder: reach(folder, set()) for folder in layers}


def allowed_text(folder, reach):
    return ", ".join(sorted(reach[folder])) or "nothing"


def folders_of(root):
    """The top-level folders that hold sources, build trees and hidden folders left out."""
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if name.startswith(".") or not os.path.isdir(path):
            continue
        if os.path.exists(os.path.join(path, "CMakeCache.txt")):
            continue
        if any(SOURCE.search(f) for _, _, files in os.walk(path) for f in files):
            yield name


def include_errors(root, layers):
    reach = below(layers)
    errors = []
    for folder in folders_of(root):
        if folder in UNLAYERED:
            continue
        if folder not in layers:
            errors.append(f"{folder}/ holds sources but has no place in the layers")
            continue
        for path, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(f for f in files if SOURCE.search(f)):
                source = os.path.join(path, name)
                with open(source, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        where = f"{os.path.relpath(source, root)}:{number}"
                        errors += include_error(where, folder, match.group(1), path, root, reach)
    return errors


def include_error(where, folder, included, source_dir, root, reach):
    if ".." in included.split("/"):
        return [f"{where} includes {included}: a path around the layers"]
    top = included.split("/")[0]
    if "/" not in included or not os.path.isdir(os.path.join(root, top)):
        # Beside the source (a header of its own folder), or a system header in quotes.
        if os.path.exists(os.path.join(source_dir, included)):
            return []
        return [f"{where} includes {included}: not a path from the top of the tree"]
    if top == folder or top in reach[folder]:
        return []
    return [f"{where} includes {included}: {folder} may use {allowed_text(folder, reach)}, "
            f"not {top}"]


def targets_of(root):
    """Each target that a CMakeLists.txt of the tree declares, and its top-level folder."""
    folder_of = {}
    for path, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if not d.startswith(".")
                   and not os.path.exists(os.path.join(path, d, "CMakeCache.txt"))]
        if "CMakeLists.txt" not in files:
            continue
        relative = os.path.relpath(path, root)
        folder = "." if relative == "." else relative.split(os.sep)[0]
        with open(os.path.join(path, "CMakeLists.txt"), encoding="utf-8") as f:
            for name in TARGET.findall(f.read()):
                folder_of[name] = folder
    return folder_of


def cycles(edges):
    """The strongly connected parts of more than one target (or a target linking itself)."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            part = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                part.append(top)
                if top == node:
                    break
            if len(part) > 1 or node in graph[node]:
                found.append(sorted(part))

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def graph_errors(edges, folder_of, layers):
    reach = below(layers)
    ours = [(a, b) for a, b in edges if a in folder_of and b in folder_of]
    errors = [f"a cycle among the targets: {' <-> '.join(part)}" for part in cycles(ours)]
    for a, b in ours:
        fa, fb = folder_of[a], folder_of[b]
        if fa not in layers or fa == fb or fb in reach[fa]:
            continue
        errors.append(f"target {a} ({fa}/) links {b} ({fb}/): {fa} may use "
                      f"{allowed_text(fa, reach)}")
    return errors


def target_edges(cmake, root, graph_dir):
    """The link edges among the targets, as CMake's --graphviz draws them."""
    os.makedirs(graph_dir, exist_ok=True)
    with open(os.path.join(graph_dir, "CMakeGraphVizOptions.cmake"), "w") as f:
        f.write("set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)\n"
                "set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)\n"
                "set(GRAPHVIZ_EXTERNAL_LIBS FALSE)\n")
    dot = os.path.join(graph_dir, "targets.dot")
    run = subprocess.run([cmake, "-S", root, "-B", graph_dir, f"--graphviz={dot}",
                          "-DVANTOR_TESTS=OFF", "-DVANTOR_BENCH=OFF"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode != 0:
        sys.exit(f"layers: cmake could not configure the tree:\n{run.stderr}")
    with open(dot, encoding="utf-8") as f:
        return [m.groups() for m in map(EDGE.match, f) if m]


def self_test():
    """The checks find what they are for: an include upwards, a link upwards, a cycle."""
    layers = {"low": [], "high": ["low"]}
    with tempfile.TemporaryDirectory() as root:
        for folder, text in (("low", '#include "high/h.h"\n#include "../high/h.h"\n'),
                             ("high", '#include "low/l.h"\n#include "l.h"\n'),
                             ("stray", "")):
            os.mkdir(os.path.join(root, folder))
            with open(os.path.join(root, folder, "a.cpp"), "w") as f:
                f.write(text)
        errors = include_errors(root, layers)
    want = ["stray/ holds sources", "low/a.cpp:1 includes high/h.h: low may use nothing",
            "low/a.cpp:2 includes ../high/h.h: a path around", "high/a.cpp:2 includes l.h"]
    edges = [("t_low", "t_high"), ("t_high", "t_low"), ("t_high", "t_ext")]
    errors += graph_errors(edges, {"t_low": "low", "t_high": "high"}, layers)
    want += ["a cycle among the targets: t_high <-> t_low", "target t_low (low/) links t_high"]
    missing = [w for w in want if not any(e.startswith(w) for e in errors)]
    for w in missing:
        print(f"layers self-test: no error starting with: {w}")
    if len(errors) != len(want):
        print("layers self-test: errors found:\n  " + "\n  ".join(errors))
    return 1 if missing or len(errors) != len(want) else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) not in (2, 6) or (len(argv) == 6 and argv[2:5:2] != ["--cmake", "--graph-dir"]):
        sys.exit(__doc__)
    root = os.path.abspath(argv[1])
    errors = include_errors(root, LAYERS)
    if len(argv) == 6:
        errors += graph_errors(target_edges(argv[3], root, argv[5]), targets_of(root), LAYERS)
    for e in errors:
        print(e)
    print(f"layers: {len(errors)} broken rules" if errors else "layers: every arrow points down")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
