#!/bin/bash
# Runs a BASIC program that uses the disk on a fresh default disk, compares
# the screen as run_basic_test.sh does, then checks the volume with fsck.
# Files in NAME.given/ are put on the disk first, as a user copies files
# from elsewhere with mtools: X.bas tokenised by bas2prg into X.PRG (load
# address $0801), X.EXT.hex as the bytes its hex digits spell. Each line
# "FILE.EXT HEX" of NAME.expect says how FILE.EXT, read back with mtools,
# must begin.
# usage: run_disk_test.sh C64HOST BAS2PRG ROM_DIR NAME.bas NAME.screen WORKDIR
set -u
c64host=$1 bas2prg=$2 roms=$3 program=$4 expected=$5 work=$6
here=$(dirname "$0")
base=${program%.bas}
mkdir -p "$work"
disk=$work/$(basename "$base").img
given=()
if [ -d "$base.given" ]; then
  for source in "$base.given"/*; do
    name=$(basename "$source")
    case "$name" in
      *.bas) "$bas2prg" "$source" "$work/${name%.bas}.PRG" || exit 1; given+=("$work/${name%.bas}.PRG") ;;
      *.hex) python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.stdin.read()))' \
                < "$source" > "$work/${name%.hex}"; given+=("$work/${name%.hex}") ;;
    esac
  done
fi
"$here/../../../../tools/make_disk.sh" "$disk" "${given[@]}" || { echo "cannot make $disk"; exit 1; }
"$here/../run_basic_test.sh" "$c64host" "$roms" "$program" "$expected" 4000 "$disk" || exit 1
export PATH=$PATH:/sbin:/usr/sbin MTOOLS_SKIP_CHECK=1
dd if="$disk" of="$disk.volume" bs=512 skip=2048 status=none
fsck.fat -n "$disk.volume" || { echo "fsck.fat found damage"; exit 1; }
if [ -f "$base.expect" ]; then
  while read -r file hex; do
    [ -z "$file" ] && continue
    actual=$(mtype -i "$disk@@1M" "::$file" | od -An -v -tx1 | tr -d ' \n')
    [ "${actual:0:${#hex}}" = "$hex" ] || { echo "$file begins ${actual:0:${#hex}}, not $hex"; exit 1; }
  done < "$base.expect"
fi
