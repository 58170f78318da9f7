#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing. Debian, as root.
set -euo pipefail

# command-or-file : package
needs=(
  "cmake:cmake"
  "g++:g++"
  "ca65:cc65"
  "ld65:cc65"
  "cl65:cc65"
  "/usr/share/cc65/lib/c64.lib:cc65"
  "qemu-system-i386:qemu-system-x86"
  "grub-mkrescue:grub-common"
  "/usr/lib/grub/i386-pc/multiboot.mod:grub-pc-bin"
  "xorriso:xorriso"
  "mformat:mtools"
  "mkfs.fat:dosfstools"
  "fsck.fat:dosfstools"
  "sfdisk:fdisk"
  "python3:python3"
  "cc1541:cc1541"
  "cbmconvert:cbmconvert"
  "clang++:clang"
  "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-14-dev"
  "/usr/lib/gcc/x86_64-linux-gnu/12/32/libgcc.a:gcc-multilib"
  "/usr/lib/gcc/x86_64-linux-gnu/12/32/crtbegin.o:g++-multilib"
  "/usr/include/gtest/gtest.h:libgtest-dev"
  "/usr/include/benchmark/benchmark.h:libbenchmark-dev"
)

missing=()
for need in "${needs[@]}"; do
  what=${need%%:*}
  package=${need##*:}
  if [[ $what == /* ]]; then
    compgen -G "$what" >/dev/null && continue
  else
    command -v "$what" >/dev/null 2>&1 && continue
  fi
  missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

mapfile -t packages < <(printf '%s\n' "${missing[@]}" | sort -u)
echo "Installing: ${packages[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "install_deps: need root to install ${packages[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}"
