#!/usr/bin/env bash
# Benchmarks of the suite against the standard tools that do the same job,
# in the same run, so that the ratios hold on a shared, noisy machine.
#
#   bash bench/run.sh [work-folder]      (default: build/bench)
#
# Needs hyperfine, GNU time, ImageMagick and netpbm
# (apt-get install -y hyperfine time imagemagick netpbm) and a Release build
# in build/ (cmake --preset default && cmake --build --preset default).
# RUNS sets the runs of the long jobs, QUICK_RUNS those of single images.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
work=${1:-$here/build/bench}
runs=${RUNS:-5}
quick_runs=${QUICK_RUNS:-300}
samples="python3 $here/demo/make_samples.py"
mkdir -p "$work"
cd "$work"

median() {  # median wall time in seconds of one command in a hyperfine JSON export
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.4f" % x["median"] for x in r))' "$1"
}
median_ms() {  # the same in milliseconds, for jobs of a few milliseconds
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.3f" % (1000 * x["median"]) for x in r))' "$1"
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

# --- the greentone converters against cp, a cp loop and general image tools ---
rm -rf g && mkdir g && cd g
cp "$here/data/talmiro.dat" .
$samples greentone plain.bmp colour-space.bmp
for i in $(seq 200); do cp plain.bmp "p$i.bmp"; done

hyperfine -N --warmup 20 --runs "$quick_runs" --export-json one.json \
    -n TALMIROX3 "$bin/TALMIROX3 colour-space.bmp out.bmp" \
    -n TALMIRO3 "$bin/TALMIRO3 plain.bmp out.bmp" \
    -n TALMIROX "$bin/TALMIROX colour-space.bmp out.bmp" \
    -n cp-138 "cp colour-space.bmp copy.bmp" \
    -n cp-54 "cp plain.bmp copy.bmp"
read -r x3 t3 x cp138 cp54 < <(median_ms one.json)
hyperfine --warmup 1 --runs "$runs" --export-json batch.json \
    -n TALMIRO3-200 "for i in \$(seq 200); do $bin/TALMIRO3 p\$i.bmp o\$i.bmp; done" \
    -n cp-200 "for i in \$(seq 200); do cp p\$i.bmp o\$i.bmp; done"
read -r batch cpbatch < <(median batch.json)
hyperfine --warmup 3 --runs "$runs" --export-json tools.json \
    -n TALMIRO3 "$bin/TALMIRO3 plain.bmp out.bmp" \
    -n convert "/usr/bin/convert plain.bmp -colorspace Gray -type Palette -compress None BMP3:im.bmp" \
    -n netpbm "bmptopnm plain.bmp 2>/dev/null | ppmtopgm | ppmtobmp -bpp=8 > pbm.bmp 2>/dev/null"
read -r tool im pbm < <(median tools.json)
cd .. && rm -rf g

echo
echo "one image: TALMIROX3 ${x3} ms, TALMIRO3 ${t3} ms, TALMIROX ${x} ms; cp ${cp138} ms (138-byte header), ${cp54} ms (54)"
echo "  TALMIROX3 / cp = $(ratio "$x3" "$cp138")   TALMIRO3 / cp = $(ratio "$t3" "$cp54")   TALMIROX / cp = $(ratio "$x" "$cp138")"
echo "batch of 200: TALMIRO3 ${batch}s, cp loop ${cpbatch}s, TALMIRO3 / cp = $(ratio "$batch" "$cpbatch")"
echo "image tools: convert / TALMIRO3 = $(ratio "$im" "$tool")   netpbm / TALMIRO3 = $(ratio "$pbm" "$tool")"

# --- DUSKAR against cp: one capture image, and a batch of 200 -------------------
rm -rf p && mkdir p && cd p
$samples capture capture.bmp
for i in $(seq 200); do cp capture.bmp "QV$i.BMP"; done
"$bin/DUSKAR" capture.bmp one.bmp
$samples check-capture capture.bmp one.bmp > /dev/null || { echo "DUSKAR's output is not a valid capture image"; exit 1; }

hyperfine -N --warmup 20 --runs "$quick_runs" --export-json one.json \
    -n DUSKAR "$bin/DUSKAR capture.bmp one.bmp" \
    -n cp "cp capture.bmp copy.bmp"
read -r duskar cpone < <(median_ms one.json)
hyperfine --warmup 1 --runs "$runs" --export-json batch.json \
    -n DUSKAR-200 "for i in \$(seq 200); do $bin/DUSKAR QV\$i.BMP o\$i.bmp; done" \
    -n cp-200 "for i in \$(seq 200); do cp QV\$i.BMP o\$i.bmp; done"
read -r dbatch dcp < <(median batch.json)
cd .. && rm -rf p

echo
echo "DUSKAR one capture image: ${duskar} ms, cp ${cpone} ms, DUSKAR / cp = $(ratio "$duskar" "$cpone")"
echo "DUSKAR batch of 200: ${dbatch}s, cp loop ${dcp}s, DUSKAR / cp = $(ratio "$dbatch" "$dcp")"
