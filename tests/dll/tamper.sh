#!/usr/bin/env bash
# Copies a signed PE file and inverts one byte inside its first code section,
# so that the copy's Authenticode digest no longer matches.
#   tamper.sh IN OUT
set -euo pipefail
in=$1 out=$2
cp -f "$in" "$out"
u16() { od -An -t u2 -j "$1" -N 2 "$out" | tr -d ' \n'; }
u32() { od -An -t u4 -j "$1" -N 4 "$out" | tr -d ' \n'; }
pe=$(u32 60)
sections=$(u16 $((pe + 6)))
optional=$(u16 $((pe + 20)))
table=$((pe + 24 + optional))
raw=
for ((i = 0; i < sections; i++)); do
  entry=$((table + 40 * i))
  if (( $(u32 $((entry + 36))) & 0x20 )); then  # IMAGE_SCN_CNT_CODE
    raw=$(u32 $((entry + 20)))
    break
  fi
done
[ -n "$raw" ] || { echo "tamper.sh: no code section in $in" >&2; exit 1; }
offset=$((raw + 16))
byte=$(od -An -t u1 -j "$offset" -N 1 "$out" | tr -d ' \n')
printf "$(printf '\\%03o' $((byte ^ 0xFF)))" | dd of="$out" bs=1 seek="$offset" conv=notrunc status=none
