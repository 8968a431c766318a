#!/usr/bin/env bash
# Fails when clang-tidy, with the checks of .clang-tidy, finds anything in the
# product's sources. It reads the build's compile commands and parses each
# file as the MinGW-w64 compiler sees it: its target, its C++ library and its
# Windows headers. A file that passed is not checked again until it, a header
# of the product, the compile commands, the checks or the tools change.
# Usage: check_tidy.sh [BUILD_DIR]
set -euo pipefail
start=$SECONDS
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(cd "${1:-$root/build}" && pwd)
tidy=$(command -v clang-tidy-14)
db=$build_dir/compile_commands.json
[ -f "$db" ] || { echo "tidy: $db is missing: configure the build first"; exit 1; }

product=(app base engine robo verify job shell ui main varkle)
product_re="^$root/($(IFS='|' && echo "${product[*]}"))/"

mapfile -t files < <(python3 -c \
  'import json, sys; print("\n".join(e["file"] for e in json.load(open(sys.argv[1]))))' "$db" |
  grep -E "$product_re" | sort -u)

# The compiler's own search list, in its order: the C++ library, then the
# Windows headers. GCC's built-in headers are left out: clang brings its own,
# searched between the two.
compiler=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' "$db")
args=(--quiet -p "$build_dir" --extra-arg=--target="$("$compiler" -dumpmachine)"
      --extra-arg=-nostdinc++ --extra-arg=-nostdlibinc)
while read -r dir; do
  dir=$(realpath "$dir")
  case $dir in
    */include/c++*) args+=(--extra-arg=-isystem"$dir") ;;
    */lib/gcc/*) ;;
    *) args+=(--extra-arg=-idirafter"$dir") ;;
  esac
done < <("$compiler" -E -x c++ - -v </dev/null 2>&1 |
         sed -n '/^#include <\.\.\.> search starts here:/,/^End of search list\./s/^ //p')

cd "$root"
# What every file's result depends on besides its own text.
common=$( { "$tidy" --version; "$compiler" --version; cat .clang-tidy scripts/check_tidy.sh "$db"
            find "${product[@]}" "$build_dir/generated" -name '*.h' -print0 | sort -z |
              xargs -0 cat; } 2>/dev/null | sha256sum)
passed_dir=$build_dir/tidy/passed
run_dir=$build_dir/tidy/run
rm -rf "$run_dir"
mkdir -p "$passed_dir" "$run_dir"

# One file: its findings go to run/NAME.found;
# a file without any leaves its key in passed/NAME.
check_file() {
  local file=$1 key=$2 name=$3
  local log=$run_dir/$name.log found=$run_dir/$name.found status=0
  "$tidy" "${args[@]}" "$file" >"$log" 2>&1 || status=$?
  { grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$log" || true; } >"$found"
  if [ "$status" -ne 0 ] && [ ! -s "$found" ]; then cp "$log" "$found"; fi
  if [ ! -s "$found" ]; then echo "$key" >"$passed_dir/$name"; fi
}

checked=0
for file in "${files[@]}"; do
  name=${file#"$root/"} && name=${name//\//_}
  key=$( { echo "$common"; cat "$file"; } | sha256sum | cut -c1-40)
  [ "$(cat "$passed_dir/$name" 2>/dev/null)" = "$key" ] && continue
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
  check_file "$file" "$key" "$name" &
  checked=$((checked + 1))
done
wait

findings=$(find "$run_dir" -name '*.found' -exec cat {} + | sort -u)
summary="${#files[@]} files (${checked} checked, the rest unchanged since they passed) in $((SECONDS - start)) s"
if [ -n "$findings" ]; then
  printf '%s\n' "$findings"
  echo "tidy: $(grep -c . <<<"$findings") findings in $summary; the full output is in $run_dir"
  exit 1
fi
echo "tidy: no findings in $summary"
