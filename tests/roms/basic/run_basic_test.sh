#!/bin/bash
# Types a BASIC test program into the C64 through c64host and compares the
# final screen with the expected one.
# usage: run_basic_test.sh C64HOST ROM_DIR NAME.bas NAME.screen PASSES [DISK]
set -u
c64host=$1 roms=$2 program=$3 expected=$4 passes=$5
disk=()
[ -n "${6:-}" ] && disk=(--disk "$6")
text="$(cat "$program")"$'\n'   # (the substitution drops the last line break)
actual=$("$c64host" --roms "$roms" --passes "$passes" "${disk[@]}" --type "$text" --screen) || {
  echo "c64host failed"; exit 1; }
if [ "$actual" != "$(cat "$expected")" ]; then
  echo "screen differs from $(basename "$expected"):"
  diff -u "$expected" <(printf '%s\n' "$actual")
  exit 1
fi
echo "screen matches $(basename "$expected")"
