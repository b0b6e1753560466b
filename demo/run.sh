#!/usr/bin/env bash
# The suite's main job on sample data of its own: a file is cut into a
# part-file set and joined back, images are converted to greentone and to
# printable grey, and every result is checked.
#
#   bash demo/run.sh          (after: cmake --preset default && cmake --build --preset default)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
samples="python3 $here/demo/make_samples.py"
work="$here/build/demo"
rm -rf "$work" && mkdir -p "$work" && cd "$work"

echo "== MORVANTE: cut a 5 MB file into parts of 2 floppy units"
head -c 5000000 /dev/urandom > sample.dat
printf 'y\n' | "$bin/MORVANTE" sample.dat part 2 | tr -d '\r' | tail -n 12
ls -l part*.zip

echo
echo "== TOLVA: join the parts back (replies piped: y to go on, x when part 3 is missing)"
printf 'y\nx\n' | "$bin/TOLVA" joined.dat part 2
cmp joined.dat sample.dat && echo "OK: joined.dat equals sample.dat byte for byte ($(stat -c %s joined.dat) bytes)"

echo
echo "== TALMIROX3, TALMIRO3, TALMIROX: a 500x500 24-bit BMP to an 8-bit greentone BMP"
cp "$here/data/talmiro.dat" .  # the converters read talmiro.dat from the current folder
"$here/build/greentone/make_talmiro_palette" fresh.dat && cmp fresh.dat talmiro.dat && echo "OK: make_talmiro_palette remakes data/talmiro.dat exactly"
$samples greentone plain.bmp colour-space.bmp
ls -l plain.bmp colour-space.bmp
"$bin/TALMIROX3" colour-space.bmp talmirox3.bmp
"$bin/TALMIRO3" plain.bmp talmiro3.bmp
"$bin/TALMIROX" colour-space.bmp talmirox.bmp
$samples check-greentone talmirox3.bmp talmiro3.bmp talmirox.bmp

echo
echo "== DUSKAR and DUSKARI: a 1024x768 capture image made printable in grey"
$samples capture capture.bmp
"$bin/DUSKAR" capture.bmp grey.bmp
"$bin/DUSKARI" capture.bmp inverted.bmp
$samples check-capture capture.bmp grey.bmp inverted.bmp
echo
echo "The demo's files are in $work"
