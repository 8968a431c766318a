#!/usr/bin/env bash
# Builds everything and runs every test under Wine, inside a private prefix
# and a private X server; ends with ctest's summary and exit status.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

build

export WINEPREFIX=$build_dir/wineprefix
xvfb_pid=
keeper_pid=
cleanup() {
  [ -n "$keeper_pid" ] && kill "$keeper_pid" >/dev/null 2>&1 || true
  "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb
[ -f "$WINEPREFIX/system.reg" ] || echo "test: creating the Wine prefix (first start takes a while)"
ensure_prefix
"$wineserver" -p
# Wine closes the desktop a second after its last user process ends, and a
# test program does not count as one. Each new desktop process risks a second
# one started beside it, whose cursor-clip window the desktop then keeps after
# that process ended: the next process to close a dialog dies of an X error.
# An idle cmd, waiting on a pipe that never delivers, holds one desktop for the
# whole run; it starts Wine's services first, so that only the desktop request
# below starts a desktop process.
keeper_fifo=$(mktemp -u)
mkfifo "$keeper_fifo"
exec 3<>"$keeper_fifo"
rm -f "$keeper_fifo"
"$wine" cmd.exe /c pause <&3 >/dev/null 2>&1 &
keeper_pid=$!
bash "$root/scripts/prepare-prefix.sh"
# The desktop is started now, detached from ctest's pipes: started later by a
# test, its process would hold that test's output open.
"$wine" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true

set +e
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 "$@"
status=$?
set -e
exit $status
