#!/usr/bin/env bash
# Builds everything and runs every test under Wine, inside a private prefix
# and a private X server; ends with ctest's summary and exit status.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

build

export WINEPREFIX=$build_dir/wineprefix
xvfb_pid=
cleanup() {
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
# Start Wine's own background processes (services, the desktop) now, detached
# from ctest's pipes: started later by a test, they would hold its output open.
"$wine" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
bash "$root/scripts/prepare-prefix.sh"

set +e
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 "$@"
status=$?
set -e
exit $status
