#!/usr/bin/env bash
# Opens Zerrow's main window in a given skin and language with given pane
# folders, waits until it is drawn and writes a PNG of the window.
#   scripts/screenshot.sh OUT.png [--skin N] [--lang zh|en] [--left FOLDER]
#                         [--right FOLDER] [--settle SECONDS] [-- MORE ZERROW ARGS]
#   scripts/screenshot.sh OUT.png --scene paused|failed|menu|about [--skin N] [--lang zh|en]
# A scene is the window in a state of its own (a transfer paused half-way, the
# end of a failed job, the open menu, the About window), set up by a test tool.
# Folders are Linux paths. Run on its own it brings up a private X server and
# a prefix of its own; inside scripts/test.sh it uses the display and prefix there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

usage() { sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
[ $# -ge 1 ] || usage
out=$1; shift
skin=0 lang=zh left= right= settle=2 scene=
extra=()
while [ $# -gt 0 ]; do
  case $1 in
    --skin) skin=$2; shift 2 ;;
    --lang) lang=$2; shift 2 ;;
    --left) left=$2; shift 2 ;;
    --right) right=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --scene) scene=$2; shift 2 ;;
    --) shift; extra=("$@"); break ;;
    *) usage ;;
  esac
done

winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

[ -f "$build_dir/bin/tools/scenes.exe" ] || build >/dev/null
# A prefix of its own, unless a test run lends its display and prefix: the
# font set up below would change how the drawing tests see text.
export WINEPREFIX=${WINEPREFIX:-$build_dir/shot-prefix}

own_x= zerrow_pid= work=
cleanup() {
  set +e
  [ -n "$zerrow_pid" ] && kill "$zerrow_pid" 2>/dev/null && wait "$zerrow_pid" 2>/dev/null
  [ -n "$work" ] && rm -rf "$work"
  if [ -n "$own_x" ]; then
    "$wineserver" -k >/dev/null 2>&1
    kill "$own_x" 2>/dev/null && wait "$own_x" 2>/dev/null
  fi
  return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  own_x=$xvfb_pid
  ensure_prefix
  bash "$root/scripts/prepare-prefix.sh"
  # The prefix has no font with Chinese glyphs: Wine links SimSun for them,
  # so that name is pointed at the machine's CJK font.
  if fc-list | grep -q 'WenQuanYi Micro Hei'; then
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
  fi
fi

if [ -n "$scene" ]; then
  work=$(mktemp -d)
  exe=$build_dir/bin/tools/scenes.exe
  "$wine" "$exe" "$scene" "$skin" "$lang" "$(winpath "$work")" </dev/null >/dev/null 2>&1 &
else
  # The left pane shows the parent of the first source; a source that does
  # not exist moves the pane there and selects nothing.
  exe=$build_dir/bin/Zerrow.exe
  args=(--ui --new-instance --skin "$skin" "--lang:$lang")
  [ -n "$left" ] && args+=("$(winpath "$left")\\zrw-no-such-entry")
  [ -n "$right" ] && args+=(--dest "$(winpath "$right")")
  args+=("${extra[@]}")
  "$wine" "$exe" "${args[@]}" </dev/null >/dev/null 2>&1 &
fi
zerrow_pid=$!

# Wine names the X windows of a program after its executable. Each of them
# (the main window, a menu, the About window) is captured on its own, because
# the screen's copy of an override-redirect window can stay black, and the
# captures are laid on one canvas, lowest first, as they stand on the screen.
name=$(basename "$exe" | tr 'A-Z' 'a-z')
list_windows() {  # id width height x y, topmost first
  xwininfo -root -tree 2>/dev/null | grep -F "(\"$name\" " |
    sed -nE 's/^ *(0x[0-9a-f]+) .* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4 \5/p' |
    awk '$2 > 1 && $3 > 1' || true
}
windows=
for _ in $(seq 300); do
  windows=$(list_windows)
  if echo "$windows" | awk '$2 >= 900 { found = 1 } END { exit !found }' &&
     { [ -z "$scene" ] || [ -e "$work/ready" ]; }; then break; fi
  kill -0 "$zerrow_pid" 2>/dev/null || { echo "screenshot: the program ended early" >&2; exit 1; }
  sleep 0.2
done
[ -n "$windows" ] || { echo "screenshot: no main window appeared" >&2; exit 1; }
[ -z "$scene" ] || [ -e "$work/ready" ] || { echo "screenshot: scene $scene never stood" >&2; exit 1; }
sleep "$settle"
windows=$(list_windows)
read -r left top right bottom < <(echo "$windows" |
  awk 'NR == 1 { l = $4; t = $5; r = $4 + $2; b = $5 + $3 }
       { if ($4 < l) l = $4; if ($5 < t) t = $5; if ($4 + $2 > r) r = $4 + $2; if ($5 + $3 > b) b = $5 + $3 }
       END { print l, t, r, b }')
parts=$(mktemp -d)
layers=()
while read -r id w h x y; do
  xwd -silent -id "$id" -out "$parts/$id.xwd"
  layers=("$parts/$id.xwd" -geometry "+$((x - left))+$((y - top))" -composite "${layers[@]}")
done <<< "$windows"
convert -size "$((right - left))x$((bottom - top))" xc:black "${layers[@]}" "$out"
rm -rf "$parts"
echo "$out"
