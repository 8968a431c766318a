#!/usr/bin/env bash
# Builds the data sets under /tmp (once), then times in one run: the native
# engine at 1 and 8 workers, the whole program through its command line with
# either engine (robocopy is the project's stand-in, Wine has none), the
# 8-thread ReadFile/WriteFile yardstick, Wine's xcopy and Linux cp -r; then the
# planning time and peak working set of the engine on 100,000 files. Every
# Wine figure includes one process start.
#   bash bench/run.sh            (ZRW_BENCH_DATA picks another data folder)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"

data=${ZRW_BENCH_DATA:-/tmp/zrw-bench}
cmake --build "$build_dir" -j2 --target bench_engine bench_copier Zerrow fake_robocopy >/dev/null
bench_bin=$build_dir/bin/bench

# A prefix of its own: the bench never shares a wineserver with the tests.
export WINEPREFIX=$build_dir/bench-prefix
cleanup() { "$wineserver" -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "bench: creating the Wine prefix"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wineserver" -w
fi
"$wineserver" -p
cp "$build_dir/bin/tools/fake_robocopy.exe" "$WINEPREFIX/drive_c/windows/system32/robocopy.exe"

python3 - "$data" <<'PY'
import os, sys
root = sys.argv[1]
def make(name, folders, files, size, seed):
    base = os.path.join(root, name)
    marker = os.path.join(base, '.done')
    if os.path.exists(marker):
        return
    block = os.urandom(size) if size <= 1 << 20 else None
    for f in range(folders):
        d = os.path.join(base, 'src', 'd%03d' % f)
        os.makedirs(d, exist_ok=True)
        for i in range(files):
            with open(os.path.join(d, 'f%05d.bin' % i), 'wb') as out:
                if block is not None:
                    out.write(block)
                else:
                    for _ in range(size >> 20):
                        out.write(os.urandom(1 << 20))
    open(marker, 'w').close()
make('a', 30, 100, 16 << 10, 1)
make('b', 1, 4, 256 << 20, 2)
make('c', 100, 1000, 1 << 10, 3)
PY

winpath() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
# Best of two runs, each into an empty destination.
measure() {
  local out=$1; shift
  local best=
  for _ in 1 2; do
    rm -rf "$out"
    local t0 t1
    t0=$(now)
    "$@" >/dev/null 2>&1 || true
    t1=$(now)
    best=$(python3 -c "import sys; a=float(sys.argv[1]); b=sys.argv[2]; print(a if b=='' or a<float(b) else b)" \
      "$(python3 -c "print($t1-$t0)")" "$best")
  done
  rm -rf "$out"
  echo "$best"
}

for set in a b; do
  src=$data/$set/src
  out=$data/$set/out
  declare -A t
  t[yard]=$(measure "$out" "$wine" "$bench_bin/bench_copier.exe" "$(winpath "$src")" "$(winpath "$out")")
  t[eng1]=$(ZRW_BENCH_WORKERS=1 measure "$out" "$wine" "$bench_bin/bench_engine.exe" copy "$(winpath "$src")" "$(winpath "$out")")
  t[eng8]=$(ZRW_BENCH_WORKERS=8 measure "$out" "$wine" "$bench_bin/bench_engine.exe" copy "$(winpath "$src")" "$(winpath "$out")")
  t[cnm]=$(measure "$out" "$wine" "$build_dir/bin/Zerrow.exe" copy "$(winpath "$src")" --dest "$(winpath "$out")" --silent --engine:cnm)
  t[robo]=$(measure "$out" "$wine" "$build_dir/bin/Zerrow.exe" copy "$(winpath "$src")" --dest "$(winpath "$out")" --silent --engine:robo)
  t[xcopy]=$(measure "$out" "$wine" xcopy /E /I /Q "$(winpath "$src")" "$(winpath "$out")")
  t[cp]=$(measure "$out" cp -r "$src" "$out")
  echo "data set ($set): $(find "$src" -type f | wc -l) files, $(du -sh "$src" | cut -f1)"
  for k in eng1 eng8 cnm robo yard xcopy cp; do
    python3 -c "import sys; n,v,y=sys.argv[1],float(sys.argv[2]),float(sys.argv[3]); print('  %-22s %7.3f s   %5.2fx yardstick' % (n, v, v / y))" \
      "$(case $k in eng1) echo 'engine, 1 worker';; eng8) echo 'engine, 8 workers';; cnm) echo 'Zerrow copy, native';; robo) echo 'Zerrow copy, robocopy';; yard) echo 'yardstick, 8 threads';; xcopy) echo 'xcopy /E /I /Q';; cp) echo 'cp -r';; esac)" \
      "${t[$k]}" "${t[yard]}"
  done
  python3 -c "import sys; print('  xcopy / engine(8)      %7.2fx' % (float(sys.argv[1]) / float(sys.argv[2])))" "${t[xcopy]}" "${t[eng8]}"
  python3 -c "import sys; print('  job runner overhead    %+7.3f s  (Zerrow copy, native - engine, 8 workers)' % (float(sys.argv[1]) - float(sys.argv[2])))" "${t[cnm]}" "${t[eng8]}"
  unset t
done

echo "data set (c): planning"
"$wine" "$bench_bin/bench_engine.exe" plan "$(winpath "$data/c/src")" | tr -d '\r' | sed 's/^/  /'
