#!/usr/bin/env python3
"""Fails when a library or a test includes a header of a library it does not
link, directly or through the libraries below it, or when a library links
one that is not below it in the order of the layers.

The input is written by tests/CMakeLists.txt from CMake's own targets: the
order (VANTEL_LAYERS in src/CMakeLists.txt), every library's and test's
sources and direct links.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def read_graph(path):
    order, libraries, support, tests = [], {}, {}, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("|")
            if fields[0] == "order":
                order = [name for name in fields[1].split(";") if name]
            elif fields[0] in ("library", "support", "test"):
                _, name, sources, links = fields
                entry = ([s for s in sources.split(";") if s], [l for l in links.split(";") if l])
                {"library": libraries, "support": support, "test": tests}[fields[0]][name] = entry
    return order, libraries, support, tests


def closure(names, libraries):
    seen, todo = set(), list(names)
    while todo:
        name = todo.pop()
        if name in seen or name not in libraries:
            continue
        seen.add(name)
        todo.extend(libraries[name][1])
    return seen


def resolve(source, include, roots):
    for root in [os.path.dirname(source)] + roots:
        candidate = os.path.normpath(os.path.join(root, include))
        if os.path.isfile(candidate):
            return candidate
    return None


def check_includes(kind, name, sources, allowed, owner, roots, problems):
    for source in sources:
        if not source.endswith((".h", ".cpp")) or not os.path.isfile(source):
            continue
        with open(source, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for include in INCLUDE.findall(text):
            header = resolve(source, include, roots)
            target = owner.get(header)
            if target and target not in allowed:
                problems.append(f"{kind} {name}: {os.path.relpath(source, os.path.dirname(roots[-1]))} includes \"{include}\" "
                                f"of {target}, which it does not link")


def main():
    graph_file, source_dir = sys.argv[1], os.path.abspath(sys.argv[2])
    order, libraries, support, tests = read_graph(graph_file)
    problems = []
    if not order:
        problems.append("no order of the layers found")
    position = {name: i for i, name in enumerate(order)}

    for name, (_, links) in libraries.items():
        if name not in position:
            problems.append(f"library {name} is not in the order of the layers")
            continue
        for link in links:
            if link.startswith("vantel_") and position.get(link, len(order)) >= position[name]:
                problems.append(f"library {name} links {link}, which is not below it")

    owner = {}
    for name, (sources, _) in libraries.items():
        for source in sources:
            owner[os.path.normpath(source)] = name
    roots = [os.path.join(source_dir, "tests"), os.path.join(source_dir, "src")]

    for name, (sources, _) in libraries.items():
        check_includes("library", name, sources, closure([name], libraries), owner, roots, problems)
    # The test programs' own support code links the platform layer.
    linkable = {**libraries, **support}
    for name, (sources, links) in tests.items():
        check_includes("test", name, sources, closure(links, linkable), owner, roots, problems)
        # The tests of a library link nothing above it.
        library = "vantel_" + name[len("test_"):]
        if library in position:
            for link in closure(links, libraries):
                if position.get(link, -1) > position[library]:
                    problems.append(f"test {name} links {link}, which is above {library}")

    for problem in problems:
        print(problem)
    print(f"{len(libraries)} libraries and {len(tests)} tests checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
