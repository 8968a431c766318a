#!/usr/bin/env bash
# Fails when a C++ file of the project differs from the layout in .clang-format.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
format=$(command -v clang-format-14)
mapfile -t files < <(find app base engine robo verify job shell ui main varkle tools bench tests \
                          -name '*.cpp' -o -name '*.h' | sort)
"$format" --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files as .clang-format lays them out"
