#!/usr/bin/env bash
# The suite's main job on sample data of its own: a file is cut into a
# part-file set and the parts are checked against the original.
#
#   bash demo/run.sh          (after: cmake --preset default && cmake --build --preset default)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
work="$here/build/demo"
rm -rf "$work" && mkdir -p "$work" && cd "$work"

echo "== MORVANTE: cut a 5 MB file into parts of 2 floppy units"
head -c 5000000 /dev/urandom > sample.dat
printf 'y\n' | "$bin/MORVANTE" sample.dat part 2 | tr -d '\r' | tail -n 12
ls -l part*.zip
cat part1.zip part2.zip | cmp - sample.dat && echo "OK: the parts joined in order equal sample.dat byte for byte"
