#!/usr/bin/env python3
"""Fails when a module includes a header of a module above it, or of another
module on its own layer. The layers, lowest first, are those of the README's
source-tree section; each module may include only its own headers and those
of the layers below."""
import pathlib
import re
import sys

LAYERS = [
    ["base"],
    ["app"],
    ["engine"],
    ["robo", "verify"],
    ["job"],
    ["shell"],
    ["ui"],
    ["main"],
]
APART = ["varkle"]  # the shell extension DLL: its own headers only

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/', re.MULTILINE)


def layer_of(module):
    for index, layer in enumerate(LAYERS):
        if module in layer:
            return index
    return None


def main(root):
    root = pathlib.Path(root)
    modules = [m for layer in LAYERS for m in layer] + APART
    problems = []
    for module in modules:
        for path in sorted((root / module).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
                if target == module or target not in modules:
                    continue
                own, other = layer_of(module), layer_of(target)
                if own is None or other is None or other >= own:
                    problems.append(f"{path.relative_to(root)}: includes {target}/ "
                                    f"({module} may not look at {target})")
    for line in problems:
        print(line)
    print(f"layers: {len(problems)} include(s) against the order "
          + " < ".join("/".join(layer) for layer in LAYERS))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent))
