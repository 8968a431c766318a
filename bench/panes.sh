#!/usr/bin/env bash
# How soon the main window's left pane shows a folder of 10,000 and one of
# 100,000 files, how long the window thread goes unanswered meanwhile, and
# what the listed entries cost in memory: one line per run of bench_panes.exe
# (bench/README.md says what each figure is).
#   bash bench/panes.sh
#   ZRW_BENCH_BUILD=<build folder>  measures that build's bin/bench/bench_panes.exe
#   ZRW_BENCH_DATA=<folder>         data sets (default /tmp/zrw-bench)
#   ZRW_BENCH_RUNS=<n>              runs per folder (default 3)
#   ZRW_BENCH_SIZES="<n> ..."       folder sizes (default "10000 100000")
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"

data=${ZRW_BENCH_DATA:-/tmp/zrw-bench}
runs=${ZRW_BENCH_RUNS:-3}
sizes=${ZRW_BENCH_SIZES:-10000 100000}

[ -f "$build_dir/build.ninja" ] || cmake -S "$root" -B "$build_dir" --preset mingw >/dev/null
product=$(cd "${ZRW_BENCH_BUILD:-$build_dir}" && pwd)
targets=(bench_hold)
[ "$product" = "$(cd "$build_dir" && pwd)" ] && targets+=(bench_panes)
mkdir -p "$data"
if ! cmake --build "$build_dir" -j2 --target "${targets[@]}" >"$data/panes-build.log" 2>&1; then
  tail -30 "$data/panes-build.log" >&2
  exit 1
fi
panes=$product/bin/bench/bench_panes.exe
hold=$build_dir/bin/bench/bench_hold.exe
for f in "$panes" "$hold"; do
  [ -f "$f" ] || { echo "bench: missing $f" >&2; exit 1; }
done

# Empty files named as a camera names them: the order needs numbers compared.
for n in $sizes; do
  [ -f "$data/panes-$n.made" ] && continue
  rm -rf "$data/panes-$n"
  mkdir -p "$data/panes-$n"
  python3 - "$data/panes-$n" "$n" <<'EOF'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "IMG_%d.jpg" % i), "wb").close()
EOF
  touch "$data/panes-$n.made"
done
mkdir -p "$data/panes-empty"
windows_path() { echo "Z:${1//\//\\}"; }

# The bench's own prefix and server, and a display of its own.
export WINEPREFIX=$build_dir/bench-prefix
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
# The server's end takes the desktop holder with it.
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_xvfb
ensure_prefix
"$wineserver" -p
# The desktop stays up between runs, so that no run times its start.
"$wine" "$hold" </dev/null >/dev/null 2>&1 &
sleep 2

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "measured on: $cpu, $(nproc) cores, $("$wine" --version), $(date '+%Y-%m-%d %H:%M %Z'); load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "program: $panes"
measure() {  # size, then nothing (times) or "memory"
  "$wine" "$panes" "$(windows_path "$data/panes-$1")" "$1" "$(windows_path "$data/panes-empty")" \
    "${@:2}" 2>/dev/null | tr -d '\r' || echo "failed ($?)"
}
for n in $sizes; do
  for run in $(seq "$runs"); do echo "$n files, run $run: $(measure "$n")"; done
  echo "$n files, memory: $(measure "$n" memory)"
done
