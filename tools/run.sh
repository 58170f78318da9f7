#!/usr/bin/env bash
# Boots an image in QEMU with the disk as primary master. With no display the
# machine runs headless: the serial console is this terminal and the screen
# is served over VNC, to this machine only.
set -euo pipefail
iso=$1
disk=$2
args=(-m 128 -cdrom "$iso" -drive "file=$disk,format=raw,if=ide,index=0,media=disk"
      -boot d -no-reboot)
# Sound: QEMU's HD audio controller and output codec, heard through the
# host's PulseAudio or ALSA when there is one and this QEMU has the driver,
# else QEMU's silent "none". QUILLON_AUDIO names the QEMU audio driver to use
# instead (none, alsa, pa, oss, wav: wav records qemu.wav).
has_audio_driver() { qemu-system-i386 -audiodev help 2>/dev/null | grep -qx "$1"; }
audio=${QUILLON_AUDIO:-}
if [[ -z $audio ]]; then
  audio=none
  if [[ ( -n ${PULSE_SERVER:-} || -S ${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native ) ]] && has_audio_driver pa; then
    audio=pa
  elif [[ -d /dev/snd ]] && has_audio_driver alsa; then
    audio=alsa
  fi
fi
args+=(-audiodev "$audio,id=sound" -device intel-hda -device hda-output,audiodev=sound)
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec qemu-system-i386 "${args[@]}" -serial stdio
fi
echo "No display: running headless. Serial console below; to see the screen,"
echo "point a VNC viewer at localhost:5900. Quit with Ctrl-A X."
exec qemu-system-i386 "${args[@]}" -display none -vnc 127.0.0.1:0 -serial mon:stdio
