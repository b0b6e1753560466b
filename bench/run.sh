#!/usr/bin/env bash
# Benchmarks of the suite against the standard tools that do the same job,
# in the same run, so that the ratios hold on a shared, noisy machine.
#
#   bash bench/run.sh [work-folder]      (default: build/bench)
#
# Needs hyperfine, GNU time, strace, ImageMagick and netpbm
# (apt-get install -y hyperfine time strace imagemagick netpbm) and a Release
# build in build/ (cmake --preset default && cmake --build --preset default).
# ROUNDS and MID_ROUNDS set the rounds of the 1 GiB and the 100 MiB jobs, RUNS
# the runs of the batches, QUICK_RUNS those of single images (after hyperfine's
# own warm-up); BIN another folder of the tools (an older build, to measure
# before and after).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${BIN:-$here/build/bin}" && pwd)
work=${1:-$here/build/bench}
big_rounds=${ROUNDS:-9}
mid_rounds=${MID_ROUNDS:-20}
runs=${RUNS:-5}
quick_runs=${QUICK_RUNS:-300}
# A job of a few milliseconds swings by a third over a handful of runs.
[ "$quick_runs" -ge 100 ] || { echo "QUICK_RUNS: at least 100 runs for jobs of a few milliseconds"; exit 1; }
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
# rounds JSON N HYPERFINE-ARGUMENTS...: one warm-up round, then N rounds of one
# run of every command after another, so that a slow spell of the shared
# machine falls on all of them alike; JSON gets each command's times and median
# as hyperfine's own export has them.
rounds() {
    local json=$1 n=$2 k
    shift 2
    for k in $(seq 0 "$n"); do hyperfine --runs 1 --export-json "$json.$k" "$@" > /dev/null; done
    python3 - "$json" "$n" <<'EOF_ROUNDS'
import json, statistics, sys
name, n = sys.argv[1], int(sys.argv[2])
rounds = [json.load(open("%s.%d" % (name, k)))["results"] for k in range(1, n + 1)]
results = []
for i, first in enumerate(rounds[0]):
    times = [r[i]["times"][0] for r in rounds]
    results.append({"command": first["command"], "times": times, "median": statistics.median(times)})
    print("  %-9s median %.4f s of %s" % (first["command"], results[-1]["median"], " ".join("%.3f" % t for t in times)))
json.dump({"results": results}, open(name, "w"))
EOF_ROUNDS
    rm -f "$json".[0-9]*
}
calls() {  # "total: the three most made calls" of an strace -c summary
    python3 -c '
import sys
rows = [l.split() for l in open(sys.argv[1]) if l[:1] == " " or l[:1].isdigit()]
rows = [(int(r[3]), r[-1]) for r in rows if len(r) >= 5 and r[3].isdigit()]
total = sum(n for n, name in rows if name == "total")
top = sorted((r for r in rows if r[1] != "total"), reverse=True)[:3]
print("%d: %s" % (total, ", ".join("%s %d" % (name, n) for n, name in top)))' "$1"
}

# --- MORVANTE against split and dd, TOLVA against cat, at one input size -------
# copy_jobs BYTES LABEL ROUNDS: cuts an input of BYTES random bytes into parts of
# one floppy unit, checks the parts against split's and the joins against the
# input, then times the cut against split and against the floor of copying
# (dd in transfer blocks + creating as many files) and the join against cat.
copy_jobs() {
    local bytes=$1 label=$2 n=$3
    local input="input-$label.dat"
    if [ ! -f "$input" ] || [ "$(stat -c %s "$input")" != "$bytes" ]; then
        head -c "$bytes" /dev/urandom > "$input"
    fi
    local parts=$(( bytes / 1433600 + 1 ))

    rm -rf m s f && mkdir m s f
    (cd m && echo y | "$bin/MORVANTE" "../$input" part 1 > /dev/null)
    (cd s && split -b 1433600 --numeric-suffixes=1 -a 4 "../$input" part)
    for k in $(seq 1 $((parts - 1))); do
        cmp -s "m/part$k.zip" "s/part$(printf %04d "$k")" || { echo "part $k differs from split's"; exit 1; }
    done
    [ ! -s "m/part$parts.zip" ] || cmp -s "m/part$parts.zip" "s/part$(printf %04d "$parts")" || { echo "last part differs"; exit 1; }
    echo "$label: MORVANTE's $parts parts equal split's"

    # Every timed run reads its input from the page cache and writes fresh
    # files into it, synced before: overwriting a file (ext4 starts writing it
    # back at its close), the writeback of the run before or input pages the
    # system took back meanwhile would time the disk, not the copy. Each peer
    # is treated alike.
    local settle="sync && cat ../$input > /dev/null"
    rounds "split-$label.json" "$n" \
        --prepare "cd m && rm -f part*.zip && $settle" --prepare "cd s && rm -f part* && $settle" \
        --prepare "cd f && rm -f * && $settle" \
        -n MORVANTE "cd m && echo y | $bin/MORVANTE ../$input part 1 > /dev/null" \
        -n split "cd s && split -b 1433600 --numeric-suffixes=1 -a 4 ../$input part" \
        -n floor "cd f && dd if=../$input of=copy bs=57344 status=none && for i in \$(seq $parts); do : > f\$i; done"
    read -r morvante split floor < <(median "split-$label.json")
    local morvante_peak
    morvante_peak=$( (cd m && echo y | /usr/bin/time -f %M "$bin/MORVANTE" "../$input" part 1 > /dev/null) 2>&1 | tail -1)
    (cd m && echo y | strace -c -o ../strace-morvante.txt "$bin/MORVANTE" "../$input" part 1 > /dev/null)
    (cd s && strace -c -o ../strace-split.txt split -b 1433600 --numeric-suffixes=1 -a 4 "../$input" part)
    (cd f && strace -c -o ../strace-dd.txt dd if="../$input" of=copy bs=57344 status=none)
    rm -rf s f

    local part_list
    part_list=$(for k in $(seq 1 "$parts"); do printf 'part%d.zip ' "$k"; done)
    (cd m && printf 'y\nx\n' | "$bin/TOLVA" ../joined.dat part 1 > /dev/null)
    cmp -s joined.dat "$input" || { echo "TOLVA's join differs from the input"; exit 1; }
    (cd m && cat $part_list > ../catted.dat)
    cmp -s catted.dat "$input" || { echo "cat's join differs from the input"; exit 1; }
    echo "$label: TOLVA's and cat's joins equal the input"

    settle="sync && cat m/part*.zip > /dev/null"
    rounds "join-$label.json" "$n" \
        --prepare "rm -f joined.dat && $settle" --prepare "rm -f catted.dat && $settle" \
        -n TOLVA "cd m && printf 'y\nx\n' | $bin/TOLVA ../joined.dat part 1 > /dev/null" \
        -n cat "cd m && cat $part_list > ../catted.dat"
    read -r tolva cat < <(median "join-$label.json")
    local tolva_peak
    tolva_peak=$( (cd m && printf 'y\nx\n' | /usr/bin/time -f %M "$bin/TOLVA" ../joined.dat part 1 > /dev/null) 2>&1 | tail -1)
    (cd m && printf 'y\nx\n' | strace -c -o ../strace-tolva.txt "$bin/TOLVA" ../joined.dat part 1 > /dev/null)
    (cd m && strace -c -o ../strace-cat.txt cat $part_list > ../catted.dat)
    rm -rf m joined.dat catted.dat

    echo
    echo "MORVANTE $label: median ${morvante}s, split ${split}s, floor ${floor}s"
    echo "  MORVANTE / split = $(ratio "$morvante" "$split")   MORVANTE / floor = $(ratio "$morvante" "$floor")"
    echo "  MORVANTE peak resident memory: ${morvante_peak} KiB"
    echo "TOLVA $label from $parts parts: median ${tolva}s, cat ${cat}s, TOLVA / cat = $(ratio "$tolva" "$cat")"
    echo "  TOLVA peak resident memory: ${tolva_peak} KiB"
    echo "system calls (strace -c), $label:"
    for tool in morvante split dd tolva cat; do
        echo "  $tool $(calls "strace-$tool.txt")"
    done
    rm -f strace-*.txt
    echo
}

copy_jobs 1073741824 1GiB "$big_rounds"
copy_jobs 104857600 100MiB "$mid_rounds"

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
hyperfine --warmup 3 --min-runs 100 --export-json tools.json \
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
