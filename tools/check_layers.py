#!/usr/bin/env python3
"""Fails when an include or a CMake link goes up the layer order of src/.

Lowest first; a folder may include and link its own layer and every layer below it. res/ holds
resources only and is visible to the layers that show windows. Test sources (*_test.cpp) may also
include tests/support/. Usage: check_layers.py <source root>
"""
import pathlib
import re
import sys

LAYERS = ["base", "diag", "store", "net", "manifest", "telemetry", "install", "ui", "selfupdate", "app"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
RESOURCE_USERS = {"ui", "selfupdate", "app"}

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]+"([^"]+)"', re.M)
LINK = re.compile(r"target_link_libraries\(\s*(\S+)([^)]*)\)", re.S)
TARGET = re.compile(r"^sl_([a-z]+)_")


def include_problems(root):
    problems = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp", ".S", ".in") or not path.is_file():
            continue
        layer = path.relative_to(root / "src").parts[0]
        if layer not in RANK and layer != "res":
            continue
        is_test = path.name.endswith("_test.cpp")
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            line = text.count("\n", 0, match.start()) + 1
            where = f"{path.relative_to(root)}:{line}"
            top = included.split("/", 1)[0]
            if top == "tests":
                if not (is_test and included.startswith("tests/support/")):
                    problems.append(f"{where}: includes {included} (test code)")
            elif top == "res":
                if layer not in RESOURCE_USERS and layer != "res":
                    problems.append(f"{where}: {layer} includes {included} (resources)")
            elif top in RANK and layer in RANK and RANK[top] > RANK[layer]:
                problems.append(f"{where}: {layer} includes {included} ({top} is above it)")
    return problems


def link_graph(root):
    graph = {}
    for cmake in sorted((root / "src").rglob("CMakeLists.txt")):
        text = re.sub(r"#[^\n]*", "", cmake.read_text(encoding="utf-8"))
        for match in LINK.finditer(text):
            deps = [word for word in match.group(2).split() if word.startswith("sl_")]
            graph.setdefault(match.group(1), set()).update(deps)
    return graph


def layer_of(target):
    match = TARGET.match(target)
    return match.group(1) if match and match.group(1) in RANK else None


def link_problems(graph):
    problems = []
    for target, deps in sorted(graph.items()):
        for dep in sorted(deps):
            low, high = layer_of(target), layer_of(dep)
            if low and high and RANK[high] > RANK[low]:
                problems.append(f"{target} links {dep} ({high} is above {low})")
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for dep in sorted(graph.get(node, ())):
            if state.get(dep) == "open":
                problems.append("link cycle: " + " -> ".join(trail[trail.index(dep):] + [dep]))
            elif dep not in state:
                visit(dep, trail + [dep])
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node, [node])
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    problems = include_problems(root) + link_problems(link_graph(root))
    if problems:
        print("Layer order broken (" + " < ".join(LAYERS) + "):")
        print("\n".join("  " + p for p in problems))
        return 1
    print("Layer order holds: " + " < ".join(LAYERS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
