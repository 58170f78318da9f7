#!/bin/sh
# Seed disks for the FAT32 fuzz target: small FAT32 volumes in partition 0,
# filled through fat32tool (mtools refuses volumes this small).
# usage: make_seeds.sh FAT32TOOL SEED_DIR CORPUS_DIR
set -e
tool=$1
out=$2
mkdir -p "$out" "$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for spc in 1 2; do
  disk="$out/seed-$spc.img"
  rm -f "$work/volume.img" "$disk"
  mkfs.fat -F 32 -s $spc -R 2 -f 2 -n SEED -C "$work/volume.img" 70 >/dev/null 2>&1
  truncate -s $((512 + 70 * 1024)) "$disk"
  printf 'label: dos\nstart=1, size=140, type=c\n' | sfdisk -q "$disk"
  dd if="$work/volume.img" of="$disk" bs=512 seek=1 conv=notrunc status=none
  echo "10 PRINT HELLO" | "$tool" "$disk" put HELLO.PRG
  head -c 3000 /dev/zero | tr '\0' 'x' | "$tool" "$disk" put DATA.BIN
  "$tool" "$disk" put EMPTY.SEQ < /dev/null
done
