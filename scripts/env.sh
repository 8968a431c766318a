# Sourced by the scripts: where things are, and how Wine is run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${ZRW_BUILD_DIR:-$root/build}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts when a prefix is created; the stand-in robocopy
# that the tests put into system32 runs instead of Wine's built-in stub; the
# shortcuts the tests make stay in the prefix (no menu entries of this machine).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;robocopy.exe=n;winemenubuilder.exe=d}

# Builds the named targets and what they need, or everything.
build() {
  bash "$root/scripts/setup.sh"
  if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$root" -B "$build_dir" --preset mingw >/dev/null
  fi
  local targets=()
  for target in "$@"; do targets+=(--target "$target"); done
  cmake --build "$build_dir" "${targets[@]}"
}

# A private X server on a free display; DISPLAY and xvfb_pid are set. It must
# be up before the first wineserver, or window creation keeps failing.
start_xvfb() {
  local display=99
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
  export DISPLAY=:$display
}

# Creates WINEPREFIX on its first use (about ten seconds).
ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wineserver" -w
  fi
}
