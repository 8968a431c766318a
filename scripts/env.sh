# Sourced by the scripts: where things are, and how Wine is run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${ZRW_BUILD_DIR:-$root/build}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts when a prefix is created; the stand-in robocopy
# that the tests put into system32 runs instead of Wine's built-in stub.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;robocopy.exe=n}

build() {
  bash "$root/scripts/setup.sh"
  if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$root" -B "$build_dir" --preset mingw >/dev/null
  fi
  cmake --build "$build_dir"
}
