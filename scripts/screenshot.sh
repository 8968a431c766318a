#!/usr/bin/env bash
# Opens Zerrow's main window in a given skin and language with given pane
# folders, waits until it is drawn and writes a PNG of the window.
#   scripts/screenshot.sh OUT.png [--skin N] [--lang zh|en] [--left FOLDER]
#                         [--right FOLDER] [--settle SECONDS] [-- MORE ZERROW ARGS]
# Folders are Linux paths. Run on its own it brings up a private X server and
# the test prefix; inside scripts/test.sh it uses the display and prefix there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

usage() { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
[ $# -ge 1 ] || usage
out=$1; shift
skin=0 lang=zh left= right= settle=2
extra=()
while [ $# -gt 0 ]; do
  case $1 in
    --skin) skin=$2; shift 2 ;;
    --lang) lang=$2; shift 2 ;;
    --left) left=$2; shift 2 ;;
    --right) right=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --) shift; extra=("$@"); break ;;
    *) usage ;;
  esac
done

winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

[ -f "$build_dir/bin/Zerrow.exe" ] || build >/dev/null
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}

own_x= zerrow_pid=
cleanup() {
  set +e
  [ -n "$zerrow_pid" ] && kill "$zerrow_pid" 2>/dev/null && wait "$zerrow_pid" 2>/dev/null
  if [ -n "$own_x" ]; then
    "$wineserver" -k >/dev/null 2>&1
    kill "$own_x" 2>/dev/null && wait "$own_x" 2>/dev/null
  fi
  return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  display=99
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  own_x=$!
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
  export DISPLAY=:$display
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wineserver" -w
  fi
fi

# The left pane shows the parent of the first source; a source that does not
# exist moves the pane there and selects nothing.
args=(--ui --new-instance --skin "$skin" "--lang:$lang")
[ -n "$left" ] && args+=("$(winpath "$left")\\zrw-no-such-entry")
[ -n "$right" ] && args+=(--dest "$(winpath "$right")")
args+=("${extra[@]}")
"$wine" "$build_dir/bin/Zerrow.exe" "${args[@]}" </dev/null >/dev/null 2>&1 &
zerrow_pid=$!

# Wine names the X window of a top-level window after its executable.
window=
for _ in $(seq 150); do
  window=$(xwininfo -root -tree 2>/dev/null |
    awk '/\("zerrow.exe" / { split($0, g, /\) +/); split(g[2], s, /[x+ ]/); if (s[1] >= 900) { print $1; exit } }')
  [ -n "$window" ] && break
  kill -0 "$zerrow_pid" 2>/dev/null || { echo "screenshot: Zerrow ended early" >&2; exit 1; }
  sleep 0.2
done
[ -n "$window" ] || { echo "screenshot: no main window appeared" >&2; exit 1; }
sleep "$settle"
xwd -silent -id "$window" | convert xwd:- "$out"
echo "$out"
