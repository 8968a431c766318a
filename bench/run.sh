#!/usr/bin/env bash
# Prints one Markdown table: copy times of the program and of yardsticks on
# two data sets, a single file, a same-volume move, moves that copy and delete
# with and without verification, planning 100,000 files, verification and a
# hash list's check, with the Wine server requests each Wine tool makes per file.
# See bench/README.md for what each row means.
#   bash bench/run.sh
#   ZRW_BENCH_BUILD=<build folder>  measures that build's Zerrow.exe, robocopy
#                                   stand-in and bench_engine.exe
#   ZRW_BENCH_DATA=<folder>         data sets (default /tmp/zrw-bench)
#   ZRW_BENCH_RUNS=<n>              timed runs per row (default 5)
#   ZRW_BENCH_PASSES=<n>            request-count passes (default 3)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"

started=$EPOCHREALTIME
data=${ZRW_BENCH_DATA:-/tmp/zrw-bench}
runs=${ZRW_BENCH_RUNS:-5}
passes=${ZRW_BENCH_PASSES:-3}
note() { echo "bench: $(((${EPOCHREALTIME/./} - ${started/./}) / 1000000)) s: $*" >&2; }

# ---- programs -------------------------------------------------------------------
[ -f "$build_dir/build.ninja" ] || cmake -S "$root" -B "$build_dir" --preset mingw >/dev/null
product=$(cd "${ZRW_BENCH_BUILD:-$build_dir}" && pwd)
targets=(bench_copier bench_hold)
if [ "$product" = "$(cd "$build_dir" && pwd)" ]; then
  targets+=(Zerrow fake_robocopy bench_engine)
elif [ ! -f "$product/bin/bench/bench_engine.exe" ]; then
  targets+=(bench_engine)
fi
mkdir -p "$data"
if ! cmake --build "$build_dir" -j2 --target "${targets[@]}" >"$data/build.log" 2>&1; then
  tail -30 "$data/build.log" >&2
  exit 1
fi
zerrow=$product/bin/Zerrow.exe
standin=$product/bin/tools/fake_robocopy.exe
# The engine's planning and its forced worker count belong to the measured build.
engine=$product/bin/bench/bench_engine.exe
[ -f "$engine" ] || engine=$build_dir/bin/bench/bench_engine.exe
copier=$build_dir/bin/bench/bench_copier.exe
hold=$build_dir/bin/bench/bench_hold.exe
for f in "$zerrow" "$standin" "$engine" "$copier" "$hold"; do
  [ -f "$f" ] || { echo "bench: missing $f" >&2; exit 1; }
done

source_of() {
  local src
  src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1/CMakeCache.txt" 2>/dev/null || true)
  local commit
  commit=$(git -C "$src" rev-parse --short HEAD 2>/dev/null || true)
  if [ -n "$commit" ]; then
    git -C "$src" --no-optional-locks diff-index --quiet HEAD -- 2>/dev/null || commit="$commit + uncommitted changes"
    echo "$src ($commit)"
  else
    echo "${src:-$1}"
  fi
}
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "measured on: $cpu, $(nproc) cores, Linux $(uname -r), $("$wine" --version), $(date '+%Y-%m-%d %H:%M %Z')"
echo "program: $(source_of "$product"); yardsticks: $(source_of "$build_dir")"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# ---- prefix ---------------------------------------------------------------------
# A prefix of its own: the bench never shares a wineserver with the tests.
export WINEPREFIX=$build_dir/bench-prefix
# Wine's built-in robocopy is a stub; the stand-in runs only when preferred.
export WINEDLLOVERRIDES="mscoree,mshtml=;robocopy.exe=n"
trace_pid=
hold_pid=
cleanup() {
  if [ -n "$hold_pid" ]; then kill "$hold_pid" 2>/dev/null || true; fi
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$hold_pid" ]; then wait "$hold_pid" 2>/dev/null || true; fi
  if [ -n "$trace_pid" ]; then wait "$trace_pid" 2>/dev/null || true; fi
}
# After a server start: the desktop stays open, and Wine's own services start
# now rather than inside the first measured run.
settle() {
  "$wine" "$hold" </dev/null >/dev/null 2>&1 &
  hold_pid=$!
  "$wine" "$copier" -t 1 -r "$(w "$data/n300/src")" </dev/null >/dev/null 2>&1 || true
  sleep 2
}
# Ends the bench prefix's server and every process in it.
stop_server() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$hold_pid" ]; then wait "$hold_pid" 2>/dev/null || true; fi
  hold_pid=
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  note "creating the Wine prefix"
  ensure_prefix
fi
cp "$standin" "$WINEPREFIX/drive_c/windows/system32/robocopy.exe"
# Job logs of earlier runs would only pile up, and an old verify report
# could pass for a new one.
zerrow_logs() { find "$WINEPREFIX/drive_c/users" -type d -name zerrow -path '*Temp*' 2>/dev/null || true; }
zerrow_logs | while read -r d; do rm -rf "$d"; done

# ---- data -----------------------------------------------------------------------
note "data sets in $data"
python3 - "$data" <<'PY'
import os, sys
root = sys.argv[1]
def make(name, folders, files, size):
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
make('a', 30, 100, 16 << 10)
make('b', 1, 4, 256 << 20)
make('c', 100, 1000, 1 << 10)
# A long selection: the files of one folder, handed over as a list.
make('l', 1, 2000, 16 << 10)
listed = os.path.join(root, 'l', 'list.bin')
if not os.path.exists(listed):
    folder = os.path.join(root, 'l', 'src', 'd000')
    names = sorted(os.listdir(folder))
    text = ''.join('Z:' + os.path.join(folder, n).replace('/', '\\') + '\0' for n in names)
    open(listed, 'wb').write(text.encode('utf-16-le'))
# Request counts: as many files per folder as set a, so folder costs scale too.
make('n300', 3, 100, 16 << 10)
make('n600', 6, 100, 16 << 10)
PY
files_a=$(find "$data/a/src" -type f | wc -l)
files_b=$(find "$data/b/src" -type f | wc -l)
one=$data/a/src/d000/f00000.bin
# The destination tree that verification and plain reading compare with.
for d in a n300 n600; do
  if [ ! -f "$data/$d/v/.done" ]; then
    rm -rf "$data/$d/v"
    mkdir -p "$data/$d/v"
    cp -r "$data/$d/src" "$data/$d/v/src"
    touch "$data/$d/v/.done"
  fi
done
# A copy of set b and its hash list, made once by the Linux tool, so that the
# program's check and sha256sum read the same files against the same list.
# The marker stays outside: the check names files the list lacks.
hashed=$data/b/h
if [ ! -f "$data/b/h.done" ]; then
  rm -rf "$hashed"
  mkdir -p "$hashed"
  cp "$data/b/src/d000/"*.bin "$hashed/"
  (cd "$hashed" && sha256sum -b -- *.bin >SHA256SUMS)
  touch "$data/b/h.done"
fi
bytes_h=$(find "$hashed" -name '*.bin' -printf '%s\n' | awk '{n += $1} END {print n}')

w() { local p=$1; echo "Z:${p//\//\\}"; }

# One run of a tool. Copies go from SRC into OUT; "move", "bycopy" and
# "bycopyv" move SRC into OUT; "verify" compares SRC with OUT\src; "read" reads
# SRC and OUT; "check" and "sha256sum" check the list in folder SRC.
tool() {
  local key=$1 src=$2 out=$3
  case $key in
    cli8 | one_cli) "$wine" "$zerrow" copy "$(w "$src")" --dest "$(w "$out")" --silent --engine:cnm ;;
    cli1) ZRW_WORKERS=1 "$wine" "$zerrow" copy "$(w "$src")" --dest "$(w "$out")" --silent --engine:cnm ;;
    robo) "$wine" "$zerrow" copy "$(w "$src")" --dest "$(w "$out")" --silent --engine:robo ;;
    list_cnm | list_robo)
      "$wine" "$zerrow" copy --list "$(w "$src")" --dest "$(w "$out")" --silent --engine:${key#list_} ;;
    cop8) "$wine" "$copier" -t 8 "$(w "$src")" "$(w "$out")" ;;
    cop1 | one_cop) "$wine" "$copier" -t 1 "$(w "$src")" "$(w "$out")" ;;
    xcopy) "$wine" xcopy /E /I /Q "$(w "$src")" "$(w "$out")" ;;
    cp) cp -r "$src" "$out" ;;
    one_cmd) "$wine" cmd /c copy "$(w "$src")" "$(w "$out")" ;;
    move) "$wine" "$zerrow" move "$(w "$src")" --dest "$(w "$out")" --silent --engine:cnm ;;
    bycopy) "$wine" "$engine" move-by-copy "$(w "$src")" "$(w "$out")" ;;
    bycopyv) "$wine" "$engine" move-by-copy --verify "$(w "$src")" "$(w "$out")" ;;
    cliv) "$wine" "$zerrow" copy "$(w "$src")" --dest "$(w "$out")" --verify --silent --engine:cnm ;;
    verify) "$wine" "$zerrow" verify "$(w "$src")" --dest "$(w "$out")" ;;
    # Read as verification reads: past the cache where the system honours that.
    read) "$wine" "$copier" -t 8 -r -u "$(w "$src")" "$(w "$out/src")" ;;
    check) "$wine" "$zerrow" check "$(w "$src/SHA256SUMS")" ;;
    sha256sum) (cd "$src" && sha256sum -c SHA256SUMS) ;;
    plan) "$wine" "$engine" plan "$(w "$src")" ;;
  esac
}

# Puts SRC and OUT into the state a run of KEY starts from (outside the timing).
prepare() {
  local key=$1 pristine=$2 src=$3 out=$4
  case $key in
    verify | read | plan | check | sha256sum) return ;;
    # The verified copy starts from a fresh source too, as the moves beside it do.
    move | bycopy | bycopyv | cliv)
      rm -rf "$src" "$out"; mkdir -p "$(dirname "$src")"; cp -r "$pristine" "$src" ;;
    one_*) rm -rf "$out"; mkdir -p "$out" ;;
    *) rm -rf "$out" ;;
  esac
}

results=$data/results.txt
: >"$results"
rm -f "$data"/report-*.txt
# The report a verifying run writes, taken right after it so that the next
# run's cannot pass for it.
verify_reports() { zerrow_logs | while read -r d; do find "$d" -name verify-last.log; done; }
# ROW KEY SRC OUT [PRISTINE]: one timed run; records time, exit code, files at OUT.
timed() {
  local row=$1 key=$2 src=$3 out=$4 pristine=${5:-}
  prepare "$key" "$pristine" "$src" "$out"
  case $row in b | mvb | hash) sync ;; esac
  local reports=
  case $key in verify | cliv | check)
    reports=$data/report-$row-$key.txt
    verify_reports | while read -r f; do rm -f "$f"; done ;;
  esac
  local rc=0 t0 t1
  t0=$EPOCHREALTIME
  tool "$key" "$src" "$out" >"$data/tool-out.txt" 2>/dev/null </dev/null || rc=$?
  t1=$EPOCHREALTIME
  local files=-
  case $key in verify | read | plan | check | sha256sum) ;; *) files=$(find "$out" -type f 2>/dev/null | wc -l || true) ;; esac
  local left=-
  case $key in move | bycopy | bycopyv) left=$(find "$src" -type f 2>/dev/null | wc -l || true) ;; esac
  local output=
  case $key in plan | bycopyv) output=$(tr -d '\r' <"$data/tool-out.txt" | tr '\n' ' ') ;; esac
  if [ -n "$reports" ]; then
    : >"$reports"
    verify_reports | while read -r f; do tr -d '\r' <"$f" | head -1 >"$reports"; done
  fi
  echo "time $row $key $(((${t1/./} - ${t0/./}))) $rc $files $left $output" >>"$results"
}

# ---- requests per file ----------------------------------------------------------
# Counted on a private traced wineserver: N and 2N files, so that process
# start-up cancels out.
note "counting Wine server requests, $passes passes"
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w >/dev/null 2>&1 || true
trace=$data/trace.txt
"$wineserver" -f -d1 -p 60 2>"$trace" &
trace_pid=$!
for _ in $(seq 200); do grep -q '^wineserver: starting' "$trace" 2>/dev/null && break; sleep 0.05; done
settle
request_lines() {
  local from=$1 to=$2
  tail -c +$((from + 1)) "$trace" | head -c $((to - from)) |
    grep -E '^[0-9a-f]+: [a-z0-9_]+\(' | grep -vc '^[0-9a-f]*: select(' || true
}
counted() {
  local key=$1 n=$2 src=$3 out=$4 pristine=${5:-}
  prepare "$key" "$pristine" "$src" "$out"
  local from to
  from=$(stat -c %s "$trace")
  tool "$key" "$src" "$out" >/dev/null 2>&1 </dev/null || true
  sleep 0.3
  to=$(stat -c %s "$trace")
  echo "req $key $n $pass $(request_lines "$from" "$to")" >>"$results"
}
# The median of several passes keeps one disturbed pass out.
for pass in $(seq "$passes"); do
  for n in 300 600; do
    d=$data/n$n
    for key in cli8 cli1 robo cop8 cop1 xcopy; do counted "$key" "$n" "$d/src" "$d/out"; done
    for key in move bycopy bycopyv cliv; do counted "$key" "$n" "$d/mv/src" "$d/out" "$d/src"; done
    counted verify "$n" "$d/src" "$d/v"
    counted read "$n" "$d/src" "$d/v"
    counted plan "$n" "$d/src" -
    rm -rf "$d/out" "$d/mv"
  done
  for key in one_cli one_cmd one_cop; do counted "$key" 1 "$one" "$data/one"; done
done
stop_server
wait "$trace_pid" 2>/dev/null || true
trace_pid=
rm -f "$trace"

# ---- timed runs -----------------------------------------------------------------
"$wineserver" -p
settle
# Each round runs every tool once, so load drifts reach all tools alike.
copy_tools=(cli8 cli1 robo cop8 cop1 xcopy cp)
for set in a b; do
  note "data set ($set), $runs rounds"
  for _ in $(seq "$runs"); do
    for key in "${copy_tools[@]}"; do timed "$set" "$key" "$data/$set/src" "$data/$set/out"; done
  done
  rm -rf "$data/$set/out"
done
note "single file, move, verify, $runs rounds"
for _ in $(seq "$runs"); do
  for key in one_cli one_cmd one_cop; do timed one "$key" "$one" "$data/one"; done
  for key in move bycopy bycopyv cliv; do timed move "$key" "$data/m/src" "$data/m/out" "$data/a/src"; done
  for key in verify read; do timed verify "$key" "$data/a/src" "$data/a/v"; done
done
rm -rf "$data/one" "$data/m"
note "moves of set b, hash list of set b, $runs rounds"
# Both checks read from the page cache from their first run on, not only the second.
cat "$hashed"/*.bin >/dev/null
for _ in $(seq "$runs"); do
  for key in bycopy bycopyv cliv; do timed mvb "$key" "$data/mb/src" "$data/mb/out" "$data/b/src"; done
  for key in check sha256sum; do timed hash "$key" "$hashed" -; done
done
rm -rf "$data/mb"
note "a long selection, $runs rounds"
for _ in $(seq "$runs"); do
  for key in cli8 list_cnm robo list_robo; do
    if [ "${key%%_*}" = list ]; then timed l "$key" "$data/l/list.bin" "$data/l/out"
    else timed l "$key" "$data/l/src/d000" "$data/l/out"; fi
  done
done
rm -rf "$data/l/out"
note "planning, $runs runs"
for _ in $(seq "$runs"); do timed plan plan "$data/c/src" -; done
stop_server

# ---- table ----------------------------------------------------------------------
echo
python3 - "$results" "$files_a" "$files_b" "$runs" "$data" "$passes" "$bytes_h" <<'PY'
import os, statistics, sys
path, files_a, files_b, runs, data, passes, bytes_h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5], sys.argv[6], int(sys.argv[7])
times, req, faults, plan, verified = {}, {}, {}, [], {}
for line in open(path, encoding='utf-8', errors='replace'):
    f = line.split()
    if f[0] == 'req':
        req.setdefault(f[1], {}).setdefault(int(f[3]), {})[int(f[2])] = int(f[4])
        continue
    row, key, us, rc, files, left = f[1], f[2], int(f[3]), int(f[4]), f[5], f[6]
    times.setdefault((row, key), []).append(us / 1e6)
    expect = {'a': files_a, 'b': files_b, 'one': 1, 'move': files_a, 'mvb': files_b, 'l': 2000}.get(row)
    bad = []
    if rc != 0:
        bad.append('exit %d' % rc)
    if expect is not None and files != '-' and int(files) != expect:
        bad.append('%s of %d files' % (files, expect))
    if left not in ('-', '0'):
        bad.append('%s left in source' % left)
    if bad:
        faults.setdefault((row, key), set()).update(bad)
    if key == 'plan':
        plan.append(dict(kv.split('=', 1) for kv in f[7:] if '=' in kv))
    if key == 'bycopyv':
        verified.setdefault(row, []).append(dict(kv.split('=', 1) for kv in f[7:] if '=' in kv))

def med(row, key):
    v = times.get((row, key))
    return statistics.median(v) if v else None

def per_file(key):
    passes = req.get(key, {}).values()
    diffs = [(c[600] - c[300]) / 300 for c in passes if 300 in c and 600 in c]
    if diffs:
        return '%.1f' % statistics.median(diffs)
    whole = [c[1] for c in passes if 1 in c]
    if whole:
        return '%d per run' % statistics.median(whole)
    return '-'

names = {
    'cli8': 'Zerrow copy, native, 8 workers',
    'cli1': 'Zerrow copy, native, ZRW_WORKERS=1',
    'robo': 'Zerrow copy, robocopy stand-in',
    'cop8': 'minimal copier, 8 threads',
    'cop1': 'minimal copier, 1 thread',
    'xcopy': 'Wine xcopy /E /I /Q',
    'cp': 'Linux cp -r',
    'one_cli': 'Zerrow copy FILE, native',
    'one_cmd': 'Wine cmd /c copy',
    'one_cop': 'minimal copier',
    'move': 'Zerrow move, native',
    'bycopy': 'copy-and-delete path (engine, renames refused)',
    'verify': 'Zerrow verify',
    'read': 'minimal reader, both trees, 8 threads, unbuffered',
    'bycopyv': 'copy-and-delete path, verified (engine, renames refused)',
    'cliv': 'Zerrow copy --verify, native',
    'check': 'Zerrow check SHA256SUMS',
    'sha256sum': 'Linux sha256sum -c SHA256SUMS',
    'plan': 'bench_engine plan',
    'list_cnm': 'Zerrow copy --list, native',
    'list_robo': 'Zerrow copy --list, robocopy stand-in',
}
rows = []
def add(label, row, key, ref, ref_name, reqs=True, extra=''):
    m = med(row, key)
    r = med(row, ref) if ref else None
    ratio = '%.2fx %s' % (m / r, ref_name) if m is not None and r else '-'
    v = times.get((row, key), [])
    spread = '%.3f-%.3f' % (min(v), max(v)) if v else '-'
    notes = [extra] if extra else []
    if (row, key) in faults:
        notes.append('FAILED RUNS: ' + ', '.join(sorted(faults[(row, key)])))
    rows.append([label, names[key], '%.3f' % m if m is not None else '-', spread, ratio,
                 per_file(key) if reqs else '-', '; '.join(notes)])

for row, label in (('a', 'a: 3,000 x 16 KiB'), ('b', 'b: 4 x 256 MiB')):
    for key in ('cli8', 'cli1', 'robo', 'cop8', 'cop1', 'xcopy', 'cp'):
        ref, ref_name = ('cop1', 'copier 1t') if key in ('cli1', 'cop1') else ('cop8', 'copier 8t')
        add(label, row, key, ref, ref_name, reqs=(row == 'a' and key != 'cp'))
for key in ('one_cli', 'one_cmd', 'one_cop'):
    add('single 16 KiB file', 'one', key, 'one_cop', 'copier')
for key, ref in (('cli8', 'cli8'), ('list_cnm', 'cli8'), ('robo', 'robo'), ('list_robo', 'robo')):
    add('l: 2,000 x 16 KiB, one folder', 'l', key, ref, 'its folder', reqs=False)
def report(row, key):
    try:
        return open(os.path.join(data, 'report-%s-%s.txt' % (row, key)), encoding='utf-8').read().strip()
    except OSError:
        return ''

# What the engine's check said, summed over the runs.
def checked(row):
    runs_seen = verified.get(row, [])
    if not runs_seen:
        return 'no output'
    total = lambda name: sum(int(r.get(name, '0')) for r in runs_seen)
    return 'compared %s, differing %d, through the cache %d (all runs)' % (
        '{:,}'.format(total('compared')), total('differing'), total('cached'))

add('move a, same drive', 'move', 'move', 'bycopy', 'copy+delete')
add('move a, same drive', 'move', 'bycopy', 'bycopy', 'copy+delete')
add('move a, copy-and-delete, verified', 'move', 'bycopyv', 'bycopy', 'copy+delete', extra=checked('move'))
add('move a, copy-and-delete, verified', 'move', 'cliv', 'bycopy', 'copy+delete', extra=report('move', 'cliv'))
add('move b, copy-and-delete', 'mvb', 'bycopy', 'bycopy', 'copy+delete', reqs=False)
add('move b, copy-and-delete, verified', 'mvb', 'bycopyv', 'bycopy', 'copy+delete', reqs=False, extra=checked('mvb'))
add('move b, copy-and-delete, verified', 'mvb', 'cliv', 'bycopy', 'copy+delete', reqs=False, extra=report('mvb', 'cliv'))
m_v, m_r = med('verify', 'verify'), med('verify', 'read')
speed = 'reading/verify = %.2f' % (m_r / m_v) if m_v and m_r else ''
add('verify a', 'verify', 'verify', 'read', 'reading', extra='; '.join(x for x in (speed, report('verify', 'verify')) if x))
add('verify a', 'verify', 'read', 'read', 'reading')
def rate(key):
    m = med('hash', key)
    return '%.0f MB/s' % (bytes_h / m / 1e6) if m else '-'
add('hash b: 4 x 256 MiB', 'hash', 'check', 'sha256sum', 'sha256sum', reqs=False,
    extra='; '.join(x for x in ('%s (%s MB read, process start included)' % (rate('check'), '{:,}'.format(bytes_h // 10**6)),
                                report('hash', 'check')) if x))
add('hash b: 4 x 256 MiB', 'hash', 'sha256sum', 'sha256sum', 'sha256sum', reqs=False, extra=rate('sha256sum'))
if plan:
    secs = statistics.median(float(p.get('secs', 'nan')) for p in plan)
    peak = statistics.median(float(p.get('peak_ws', 'nan')) for p in plan)
    files = int(plan[0].get('files', '0'))
    extra = 'in-process %.3f s; %s files; peak working set %.0f bytes per planned file' % (
        secs, '{:,}'.format(files), peak / files if files else float('nan'))
else:
    extra = 'no output'
add('plan c: 100,000 x 1 KiB', 'plan', 'plan', None, '', extra=extra)

head = ['data', 'tool', 'median s', 'min-max s', 'ratio', 'requests/file', 'notes']
print('| ' + ' | '.join(head) + ' |')
print('|' + '|'.join(['---', '---', '--:', '---', '---', '--:', '---']) + '|')
for r in rows:
    print('| ' + ' | '.join(r) + ' |')
print()
print('Times: median of %s runs, tools alternating round by round, each into an empty '
      'destination; Wine figures include one process start. requests/file: Wine server '
      'trace lines "XXXX: name(" (request and reply lines, select left out) of a run on '
      '600 files minus one on 300, divided by 300; median of %s passes.' % (runs, passes))
PY
elapsed=$(((${EPOCHREALTIME/./} - ${started/./}) / 1000000))
echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg); bench took ${elapsed} s"
