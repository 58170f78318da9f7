#!/usr/bin/env bash
# Builds the default disk: 64 MiB, an MBR with one FAT32 partition (type 0x0C)
# starting at sector 2048, labelled QUILLON, with 512-byte clusters so that
# the volume has the 65,525 clusters other systems require of FAT32.
# Usage: make_disk.sh IMAGE [FILE...]   (files are copied into the root)
set -euo pipefail
image=$1
shift

export PATH=$PATH:/sbin:/usr/sbin
rm -f "$image"
truncate -s 64M "$image"
echo 'start=2048, type=0c' | sfdisk --quiet "$image"
sectors=$(( (64 * 1024 * 1024 / 512) - 2048 ))
mkfs.fat -F 32 -S 512 -s 1 -n QUILLON --offset 2048 "$image" $((sectors / 2)) >/dev/null
export MTOOLS_SKIP_CHECK=1
for file in "$@"; do
  mcopy -i "$image@@1M" -o "$file" "::$(basename "$file" | tr '[:lower:]' '[:upper:]')"
done
