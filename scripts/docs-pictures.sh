#!/usr/bin/env bash
# Makes the README's pictures of the window under docs/: two skins in the two
# languages, a transfer paused half-way and the end of a failed job.
#   bash scripts/docs-pictures.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot="$root/scripts/screenshot.sh"
# A fixed place, because the path boxes show it.
work=/tmp/示例
rm -rf "$work"
trap 'rm -rf "$work"' EXIT

# Pane folders with names a user might have.
mkdir -p "$work/照片 2024/旅行" "$work/Projects/report" "$work/归档"
for name in "照片 2024/海边.jpg" "照片 2024/旅行/山顶.jpg" "Projects/plan.docx" \
            "Projects/report/figures.xlsx" "笔记.txt" "notes.md"; do
  head -c $(( (RANDOM % 900 + 100) * 1024 )) /dev/zero > "$work/$name"
done

bash "$shot" "$root/docs/window-zh.png" --skin 0 --lang zh --left "$work" --right "$work/归档"
bash "$shot" "$root/docs/window-en-skin3.png" --skin 3 --lang en --left "$work" --right "$work/Projects"
bash "$shot" "$root/docs/paused-en.png" --scene paused --skin 0 --lang en
bash "$shot" "$root/docs/failed-zh.png" --scene failed --skin 5 --lang zh
echo "docs-pictures: written to $root/docs"
