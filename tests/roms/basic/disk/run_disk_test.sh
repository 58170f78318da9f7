#!/bin/bash
# Runs a BASIC program that uses the disk on a fresh default disk, compares
# the screen as run_basic_test.sh does, then checks the volume with fsck.
# usage: run_disk_test.sh C64HOST ROM_DIR NAME.bas NAME.screen WORKDIR
set -u
c64host=$1 roms=$2 program=$3 expected=$4 work=$5
here=$(dirname "$0")
mkdir -p "$work"
disk=$work/$(basename "${program%.bas}").img
"$here/../../../../tools/make_disk.sh" "$disk" || { echo "cannot make $disk"; exit 1; }
"$here/../run_basic_test.sh" "$c64host" "$roms" "$program" "$expected" 4000 "$disk" || exit 1
export PATH=$PATH:/sbin:/usr/sbin
dd if="$disk" of="$disk.volume" bs=512 skip=2048 status=none
fsck.fat -n "$disk.volume" || { echo "fsck.fat found damage"; exit 1; }
