#!/usr/bin/env bash
# Boots an image in QEMU with the disk as primary master. With no display the
# machine runs headless: the serial console is this terminal and the screen
# is served over VNC, to this machine only.
set -euo pipefail
iso=$1
disk=$2
args=(-m 128 -cdrom "$iso" -drive "file=$disk,format=raw,if=ide,index=0,media=disk"
      -boot d -no-reboot)
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec qemu-system-i386 "${args[@]}" -serial stdio
fi
echo "No display: running headless. Serial console below; to see the screen,"
echo "point a VNC viewer at localhost:5900. Quit with Ctrl-A X."
exec qemu-system-i386 "${args[@]}" -display none -vnc 127.0.0.1:0 -serial mon:stdio
