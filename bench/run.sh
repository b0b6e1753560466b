#!/usr/bin/env bash
# Benchmarks of the suite against the standard tools that do the same job,
# in the same run, so that the ratios hold on a shared, noisy machine.
#
#   bash bench/run.sh [work-folder]      (default: build/bench)
#
# Needs hyperfine and GNU time (apt-get install -y hyperfine time) and a
# Release build in build/ (cmake --preset default && cmake --build --preset default).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
work=${1:-$here/build/bench}
runs=${RUNS:-5}
mkdir -p "$work"
cd "$work"

median() {  # median wall time in seconds of one command in a hyperfine JSON export
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.4f" % x["median"] for x in r))' "$1"
}
ratio() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$1" "$2"; }

# --- MORVANTE against split and the floor of copying --------------------------
if [ ! -f big.dat ] || [ "$(stat -c %s big.dat)" != 1073741824 ]; then
    head -c 1073741824 /dev/urandom > big.dat
fi
parts=$(( 1073741824 / 1433600 + 1 ))

rm -rf m s f && mkdir m s f
(cd m && echo y | "$bin/MORVANTE" ../big.dat part 1 > /dev/null)
(cd s && split -b 1433600 --numeric-suffixes=1 -a 4 ../big.dat part)
for k in $(seq 1 $((parts - 1))); do
    cmp -s "m/part$k.zip" "s/part$(printf %04d "$k")" || { echo "part $k differs from split's"; exit 1; }
done
[ ! -s "m/part$parts.zip" ] || cmp -s "m/part$parts.zip" "s/part$(printf %04d "$parts")" || { echo "last part differs"; exit 1; }
echo "parts checked: MORVANTE's $parts parts equal split's"

hyperfine --runs "$runs" --warmup 1 --export-json split.json \
    -n MORVANTE "cd m && echo y | $bin/MORVANTE ../big.dat part 1 > /dev/null" \
    -n split "cd s && split -b 1433600 --numeric-suffixes=1 -a 4 ../big.dat part" \
    -n floor "cd f && dd if=../big.dat of=copy bs=57344 status=none && for i in \$(seq $parts); do : > f\$i; done"
read -r morvante split floor < <(median split.json)
peak=$( (cd m && echo y | /usr/bin/time -f %M "$bin/MORVANTE" ../big.dat part 1 > /dev/null) 2>&1 | tail -1)

echo
echo "MORVANTE 1 GiB: median ${morvante}s, split ${split}s, floor ${floor}s"
echo "  MORVANTE / split = $(ratio "$morvante" "$split")   MORVANTE / floor = $(ratio "$morvante" "$floor")"
echo "  MORVANTE peak resident memory: ${peak} KiB"
rm -rf s f

# --- TOLVA against cat of the same parts ---------------------------------------
part_list=$(for k in $(seq 1 "$parts"); do printf 'part%d.zip ' "$k"; done)
(cd m && printf 'y\nx\n' | "$bin/TOLVA" ../joined.dat part 1 > /dev/null)
cmp -s joined.dat big.dat || { echo "TOLVA's join differs from the input"; exit 1; }
(cd m && cat $part_list > ../catted.dat)
cmp -s catted.dat big.dat || { echo "cat's join differs from the input"; exit 1; }
echo "joins checked: TOLVA's and cat's outputs equal big.dat"

hyperfine --runs "$runs" --warmup 1 --export-json join.json \
    -n TOLVA "cd m && printf 'y\nx\n' | $bin/TOLVA ../joined.dat part 1 > /dev/null" \
    -n cat "cd m && cat $part_list > ../catted.dat"
read -r tolva cat < <(median join.json)
peak=$( (cd m && printf 'y\nx\n' | /usr/bin/time -f %M "$bin/TOLVA" ../joined.dat part 1 > /dev/null) 2>&1 | tail -1)
echo
echo "TOLVA 1 GiB from $parts parts: median ${tolva}s, cat ${cat}s, TOLVA / cat = $(ratio "$tolva" "$cat")"
echo "  TOLVA peak resident memory: ${peak} KiB"
rm -rf m joined.dat catted.dat
