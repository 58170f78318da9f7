#!/bin/bash
# A benchmark, not a test: runs loops.bas in the C64 through c64host and
# prints the jiffies (each 16,667 emulated instructions, the face's
# interrupt period) that 1,000 iterations of each loop take.
# usage: run_bench.sh C64HOST [ROM_DIR]
here=$(dirname "$0")
roms=()
[ -n "${2:-}" ] && roms=(--roms "$2")
"$1" "${roms[@]}" --passes 20000 --type "$(cat "$here/loops.bas")"$'\n' --screen |
  sed -n '/^JIFFIES/,/^GOSUB/p'
