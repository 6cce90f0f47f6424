#!/usr/bin/env python3
"""Checks that no source of src/ includes a header of a later layer.

Every folder of src/ is a layer; a file may include headers of its own layer
and of the layers listed before it, never of one listed after it. Below the
first layer that may use Qt, no file includes a Qt header. A folder of src/
that is not a layer is an error too, so that a new folder cannot escape the
check.

    check_layers.py --layers numeric model ... app --qt-from charts SRC
        exit 0 when the tree is clean, 1 with one line per offending include

    check_layers.py ... --expect FILE SRC
        the same, but exit 0 exactly when the offences found are the lines
        of FILE (the check's own fixture shows that it catches them)
"""
import argparse
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def layer_of(path, rank):
    """The layer a path below src/ belongs to: the longest layer name that is
    a folder prefix of it (layers may lie below a folder, as ui/document)."""
    best = None
    for name in rank:
        if path.startswith(name + "/") and (best is None or len(name) > len(best)):
            best = name
    return best


def offences(src, layers, qt_from):
    rank = {name: i for i, name in enumerate(layers)}
    qt_rank = rank[qt_from]
    containers = {name.split("/")[0] for name in layers if "/" in name}
    found = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in rank and folder.name not in containers:
            found.append(f"{folder.name}/: folder is not a layer (known: {' '.join(layers)})")
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        rel = path.relative_to(src).as_posix()
        layer = layer_of(rel, rank)
        if layer is None:
            if rel.split("/")[0] in containers:
                found.append(f"{rel}: file is in no layer")
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            header = m.group(2)
            target = layer_of(header, rank)
            where = f"{rel}:{number}"
            if target is None and header.split("/")[0] in containers:
                found.append(f"{where}: {layer} includes {header}, which is in no layer")
            elif target is not None and rank[target] > rank[layer]:
                found.append(f"{where}: {layer} includes {header} of the later layer {target}")
            elif rank[layer] < qt_rank and m.group(1) == "<" and re.match(r"Q[A-Za-z]|Qt", header):
                found.append(f"{where}: {layer} includes the Qt header {header}; Qt starts at {qt_from}")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--layers", nargs="+", required=True, help="the layers, lowest first")
    parser.add_argument("--qt-from", required=True, help="the lowest layer that may include Qt headers")
    parser.add_argument("--expect", type=pathlib.Path, help="file with the offences the tree must show")
    parser.add_argument("src", type=pathlib.Path)
    args = parser.parse_args()
    if args.qt_from not in args.layers:
        parser.error(f"--qt-from {args.qt_from} is not a layer")
    found = offences(args.src, args.layers, args.qt_from)
    if args.expect is not None:
        expected = [l for l in args.expect.read_text(encoding="utf-8").splitlines() if l.strip()]
        if found == expected:
            print(f"layer check: the fixture's {len(found)} offences were found")
            return 0
        print("layer check: the fixture's offences were not found as expected")
        for l in expected:
            if l not in found:
                print(f"  missed:     {l}")
        for l in found:
            if l not in expected:
                print(f"  unexpected: {l}")
        return 1
    for l in found:
        print(l)
    if found:
        print(f"layer check: {len(found)} include(s) against the layer order {' < '.join(args.layers)}")
        return 1
    print(f"layer check: every include of {args.src} follows {' < '.join(args.layers)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
