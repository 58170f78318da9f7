#!/bin/bash
# Runs a BASIC program that uses the disk on a fresh default disk, compares
# the screen as run_basic_test.sh does, then checks the volume with fsck.
# Files in NAME.given/ are put on the disk first, as a user copies files
# from elsewhere with mtools: X.bas tokenised by bas2prg into X.PRG (load
# address $0801), X.EXT.hex as the bytes its hex digits spell, and then
# X.D64.cc1541 as the D64 image cc1541 makes with the options it holds
# (from the other given files). Each line "FILE.EXT HEX" of NAME.expect says
# how FILE.EXT, read back with mtools, must begin; "X.D64/file.ext HEX" the
# same of a file cbmconvert extracts from that image. Every given image must
# after the run still be one the drive's validate leaves unchanged and whose
# listing cc1541 reads as the drive does.
# usage: run_disk_test.sh C64HOST BAS2PRG ROM_DIR NAME.bas NAME.screen WORKDIR FAT32TOOL
set -u
c64host=$1 bas2prg=$2 roms=$3 program=$4 expected=$5 work=$6 fat32tool=$7
here=$(dirname "$0")
base=${program%.bas}
# Each test its own folder, as tests run side by side.
work=$work/$(basename "$base")
mkdir -p "$work"
disk=$work/$(basename "$base").img
given=()
images=()
if [ -d "$base.given" ]; then
  for source in "$base.given"/*; do
    name=$(basename "$source")
    case "$name" in
      *.bas) "$bas2prg" "$source" "$work/${name%.bas}.PRG" || exit 1; given+=("$work/${name%.bas}.PRG") ;;
      *.hex) python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.stdin.read()))' \
                < "$source" > "$work/${name%.hex}"; given+=("$work/${name%.hex}") ;;
    esac
  done
  for recipe in "$base.given"/*.cc1541; do
    [ -e "$recipe" ] || continue
    name=$(basename "$recipe" .cc1541)
    (cd "$work" && rm -f "$name" && eval cc1541 -q "$(cat "$recipe")" "$name" >/dev/null) || { echo "cc1541 failed for $name"; exit 1; }
    given+=("$work/$name")
    images+=("$name")
  done
fi
"$here/../../../../tools/make_disk.sh" "$disk" "${given[@]}" || { echo "cannot make $disk"; exit 1; }
"$here/../run_basic_test.sh" "$c64host" "$roms" "$program" "$expected" 4000 "$disk" || exit 1
export PATH=$PATH:/sbin:/usr/sbin MTOOLS_SKIP_CHECK=1
dd if="$disk" of="$disk.volume" bs=512 skip=2048 status=none
fsck.fat -n "$disk.volume" || { echo "fsck.fat found damage"; exit 1; }
# A listing as both tools print it: no terminal escapes or trailing blanks, upper case.
plain_listing() { sed -e $'s/\x1b\\[7m//g' -e $'s/\x1b\\[m//g' -e 's/ *$//' | grep -v -e '^$' -e '^Adding' | tr a-z A-Z; }
for image in "${images[@]}"; do
  copy=$work/$image.after
  rm -rf "$copy" "$copy.files" && mcopy -i "$disk@@1M" "::$image" "$copy" || { echo "cannot read $image back"; exit 1; }
  verdict=$("$fat32tool" "$disk" d64 "$image" validate) || { echo "$image does not validate"; exit 1; }
  [ "$verdict" = "unchanged" ] || { echo "validate had to change $image"; exit 1; }
  ours=$("$fat32tool" "$disk" d64 "$image" dir | plain_listing)
  theirs=$(cc1541 "$copy" | plain_listing)
  [ "$ours" = "$theirs" ] || { echo "cc1541 lists $image otherwise:"; diff <(echo "$theirs") <(echo "$ours"); exit 1; }
  mkdir "$copy.files" && (cd "$copy.files" && cbmconvert -N -d "$copy" >/dev/null 2>&1)
done
if [ -f "$base.expect" ]; then
  while read -r file hex; do
    [ -z "$file" ] && continue
    case "$file" in
      */*) actual=$(od -An -v -tx1 "$work/${file%%/*}.after.files/${file#*/}" | tr -d ' \n') ;;
      *) actual=$(mtype -i "$disk@@1M" "::$file" | od -An -v -tx1 | tr -d ' \n') ;;
    esac
    [ "${actual:0:${#hex}}" = "$hex" ] || { echo "$file begins ${actual:0:${#hex}}, not $hex"; exit 1; }
  done < "$base.expect"
fi
