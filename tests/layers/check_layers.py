#!/usr/bin/env python3
"""Checks that no source of src/ includes a header of a later layer.

Every folder of src/ is a layer; a file may include headers of its own layer
and of the layers listed before it, never of one listed after it. Layers
joined by "|" in one argument are siblings ("acoustics|network|tools"): each
may use the layers listed before the group, none may include a header of
another member of the group, and the layers after the group may use all of
them. Below the first layer that may use Qt, no file includes a Qt header. A
folder of src/ that is not a layer is an error too, so that a new folder
cannot escape the check.

    check_layers.py --layers numeric model "acoustics|network|tools" calc ... app --qt-from charts SRC
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


def ranks(layers):
    """The rank of every layer, lowest 0; siblings ("a|b") share theirs."""
    return {name: i for i, group in enumerate(layers) for name in group.split("|")}


def offences(src, layers, qt_from):
    rank = ranks(layers)
    qt_rank = rank[qt_from]
    containers = {name.split("/")[0] for name in rank if "/" in name}
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
            elif target is not None and target != layer and rank[target] == rank[layer]:
                found.append(f"{where}: {layer} includes {header} of its sibling layer {target}")
            elif rank[layer] < qt_rank and m.group(1) == "<" and re.match(r"Q[A-Za-z]|Qt", header):
                found.append(f"{where}: {layer} includes the Qt header {header}; Qt starts at {qt_from}")
    return found


def circles(src):
    """Include circles among the components of src/: a component is a header
    with its source (model/project.h and model/project.cpp), and it uses the
    components whose headers either of them includes. Returns every group of
    components that reach each other, as sorted lists."""
    uses = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        component = path.relative_to(src).with_suffix("").as_posix()
        targets = uses.setdefault(component, set())
        for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
            m = INCLUDE.match(line)
            if m and m.group(1) == '"':
                target = str(pathlib.PurePosixPath(m.group(2)).with_suffix(""))
                if target != component:
                    targets.add(target)
    # Tarjan's strongly connected components, without recursion.
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    counter = 0
    for root in sorted(uses):
        if root in index:
            continue
        work = [(root, iter(sorted(uses.get(root, ()))))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in uses:
                    continue
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(uses[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return sorted(groups)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--layers", nargs="+", required=True, help="the layers, lowest first; siblings joined by | in one argument")
    parser.add_argument("--qt-from", required=True, help="the lowest layer that may include Qt headers")
    parser.add_argument("--expect", type=pathlib.Path, help="file with the offences the tree must show")
    parser.add_argument("--circles", action="store_true",
                        help="check instead that no components include each other in a circle")
    parser.add_argument("src", type=pathlib.Path)
    args = parser.parse_args()
    if args.qt_from not in ranks(args.layers):
        parser.error(f"--qt-from {args.qt_from} is not a layer")
    if args.circles:
        groups = circles(args.src)
        if args.expect is not None:
            expected = [l for l in args.expect.read_text(encoding="utf-8").splitlines() if l.strip()]
            shown = [" ".join(g) for g in groups]
            print("layer check: circles " + ("found as expected" if shown == expected else f"differ: {shown}"))
            return 0 if shown == expected else 1
        for g in groups:
            print("include circle among " + ", ".join(g))
        if not groups:
            print(f"layer check: no include circle among the components of {args.src}")
        return 1 if groups else 0
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
