#!/usr/bin/env bash
# The hash lists the program writes, read by Linux's own sha256sum on the
# same folders: copies and moves with both engines and the verify mode's
# list; a byte changed behind the program's back is found by its check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
zerrow=$build_dir/bin/Zerrow.exe
work=$(mktemp -d /tmp/zrw-hashes.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0

windows() { local p=${1//\//\\}; echo "Z:$p"; }
zerrow() {
  local rc=0
  "$wine" "$zerrow" "$@" --silent >/dev/null 2>&1 || rc=$?
  echo "$rc"
}
expect() {  # what, wanted, got
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: wanted $2, got $3"; failed=1; fi
}
make_source() {
  mkdir -p "$1/sub/深 😀"
  head -c 2500000 /dev/urandom >"$1/big.bin"
  printf a >"$1/a.txt"
  : >"$1/sub/empty"
  printf x >"$1/sub/深 😀/x.txt"
}
sums_check() { (cd "$1" && sha256sum --quiet --strict -c SHA256SUMS >/dev/null 2>&1) && echo ok || echo bad; }

# A copy's list from one read of the destination, a move's from the bytes
# its verification compared (or read after a rename).
for engine in --engine:robo --engine:cnm; do
  for operation in copy move; do
    case=$work/$operation${engine#--engine:}
    make_source "$case/src"
    switches=(--hash)
    [ "$operation" = move ] && switches+=(--verify)
    expect "$operation $engine ${switches[*]}" 0 \
      "$(zerrow "$operation" "$(windows "$case/src")" --dest "$(windows "$case/out")" "$engine" "${switches[@]}")"
    expect "$operation $engine: sha256sum -c" ok "$(sums_check "$case/out")"
    expect "$operation $engine: one line a file" 4 "$(wc -l <"$case/out/SHA256SUMS")"
  done
done

# A list that cannot be written is a failure, not a success without it.
case=$work/unwritable
make_source "$case/src"
mkdir -p "$case/out/SHA256SUMS"
expect "copy --hash, the list's name taken by a folder" 1 \
  "$(zerrow copy "$(windows "$case/src")" --dest "$(windows "$case/out")" --hash)"

# The verify mode's list, from the bytes it compared.
case=$work/verify
make_source "$case/src"
mkdir -p "$case/out" && cp -r "$case/src" "$case/out/"
expect "verify --hash" 0 "$(zerrow verify "$(windows "$case/src")" --dest "$(windows "$case/out")" --hash)"
expect "verify: sha256sum -c" ok "$(sums_check "$case/out")"
expect "check of a clean copy" 0 "$(zerrow check "$(windows "$case/out/SHA256SUMS")")"

printf 'Z' | dd of="$case/out/src/big.bin" bs=1 seek=1000000 conv=notrunc status=none
expect "a changed byte: sha256sum -c" bad "$(sums_check "$case/out")"
expect "a changed byte: check" 4 "$(zerrow check "$(windows "$case/out/SHA256SUMS")")"
echo 'not a hash list' >"$case/out/other.sums"
expect "check of something else" 2 "$(zerrow check "$(windows "$case/out/other.sums")")"
exit $failed
