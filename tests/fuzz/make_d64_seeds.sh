#!/bin/sh
# Seed inputs for the D64 fuzz target from images cc1541 makes: the shape
# byte, the directory track, then the image from its first block.
# usage: make_d64_seeds.sh SEED_DIR CORPUS_DIR
set -e
mkdir -p "$1" "$2"
out=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 3000 /dev/zero | tr '\0' 'x' > data.bin
printf '\001\010\012\010\012\000\231\042HI\042\000\000\000' > hello.prg
for i in 0 1 2 3 4 5 6 7 8 9; do cp hello.prg f$i.prg; done
cc1541 -q -n seed -f hello -w hello.prg -f data -T SEQ -w data.bin one.d64
cc1541 -q -f lck -P -w hello.prg -f opn -O -w hello.prg -f rel -T REL -w data.bin \
  $(for i in 0 1 2 3 4 5 6 7 8 9; do echo "-f f$i -w f$i.prg"; done) many.d64
cc1541 -q -4 -f hello -w hello.prg -f data -T SEQ -w data.bin forty.d64
for image in one many forty; do
  shape=0
  [ "$image" = forty ] && shape=1
  { printf "\\00$shape"; dd if=$image.d64 bs=256 skip=357 count=19 status=none; \
    dd if=$image.d64 bs=256 count=80 status=none; } > "$out/$image.seed"
done
