#!/usr/bin/env bash
# Side-by-side timings of vesplot against pandas (loading) and matplotlib (sheets): builds Release in its
# own build dir, generates the data with the seeded generator and prints a table of our time, the peer's
# time and the ratio, each the median of RUNS runs.
#   bench/compare.sh [RUNS [ROWS]]   RUNS defaults to 5 (at least 5 is meant for the record); ROWS picks
#                                    some of the rows: "load sheets pages" (the default, all of them)
# Environment: PAGES_RUNS (runs of the all-stations PDF row, default RUNS), PAGES_STATIONS (stations of
# that file, default 1000), VESPLOT_COMPARE_BUILD_DIR (default build/compare), PYTHON (default
# /usr/bin/python3, Debian's, where python3-pandas and python3-matplotlib live; python3-scipy, for the fits
# peer of bench/compare-model.sh, too).
#
# Two kinds of rows: "command" rows time whole processes with hyperfine (start-up, reading the file
# and writing the output included; the Python start-up and imports are part of the peer's cost), and
# "in-process" rows time the work alone inside one process (vesplot_times against the peer scripts'
# --repeat mode), reading the file once beforehand except in the load row.
set -euo pipefail
runs=${1:-5}
only=${2:-load sheets pages}
pagesRuns=${PAGES_RUNS:-$runs}
pagesStations=${PAGES_STATIONS:-1000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPLOT_COMPARE_BUILD_DIR:-$root/build/compare}
py=${PYTHON:-/usr/bin/python3}
peers=$root/bench/peers
data=$build/compare-data

install() {
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y --no-install-recommends "$@" >/dev/null
}
"$py" -c 'import pandas, matplotlib' 2>/dev/null || install python3-pandas python3-matplotlib
command -v hyperfine >/dev/null || install hyperfine

echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESPLOT_BUILD_TESTS=OFF -DVESPLOT_BUILD_BENCH=ON \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target vesplot vesplot_gen vesplot_times >"$build.build.log" 2>&1 \
    || { tail -n 40 "$build.build.log"; exit 1; }
bin=$build/bin
export QT_QPA_PLATFORM=offscreen
[ -n "${XDG_RUNTIME_DIR:-}" ] || { XDG_RUNTIME_DIR=$(mktemp -d); export XDG_RUNTIME_DIR; }

echo "== generating data in $data (seed 42)" >&2
mkdir -p "$data" "$data/out"
rows1m=$data/rows-1000000.dat
stations=$data/stations-$pagesStations.dat
[ -f "$rows1m" ] || "$bin/vesplot_gen" dat 1000000 42 "$rows1m"
if [ ! -f "$stations" ]; then
    # The first PAGES_STATIONS stations of a generated file (their rows follow each other).
    "$bin/vesplot_gen" dat $((pagesStations * 46)) 42 "$data/stations-source.dat"
    awk -v n="$pagesStations" 'NR <= 3 { print; next }
        !($1 in seen) { if (count == n) exit; seen[$1] = 1; count++ } { print }' \
        "$data/stations-source.dat" >"$stations"
fi
out=$data/out

# Median in ms of a whole command over N runs (hyperfine, one warm-up run).
command_ms() {
    local n=$1 warmup=$2 cmd=$3 json
    json=$(mktemp)
    hyperfine --style none --runs "$n" --warmup "$warmup" --export-json "$json" "$cmd" >/dev/null 2>&1 \
        || { echo "failed: $cmd" >&2; rm -f "$json"; exit 1; }
    "$py" -c 'import json, sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$json"
    rm -f "$json"
}

# The first number a timing program prints (its median in ms).
inproc_ms() {
    "$@" | awk '{ printf "%.1f\n", $1; exit }'
}

rows=()
add_row() { # label ours peer
    rows+=("$1|$2|$3|$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.1f", b / a }')")
}

sym=--symbols=4,0,0,0,0,0
echo "== timing ($runs runs each; all-stations PDF: $pagesRuns runs)" >&2
wanted() { [[ " $only " == *" $1 "* ]]; }

if wanted load; then
    add_row "command: load 10^6 rows (inspect / read_csv)" \
        "$(command_ms "$runs" 1 "$bin/vesplot inspect $rows1m > /dev/null")" \
        "$(command_ms "$runs" 1 "$py $peers/load.py $rows1m")"
    add_row "in-process: load 10^6 rows" \
        "$(inproc_ms "$bin/vesplot_times" load "$rows1m" "$runs")" \
        "$(inproc_ms "$py" "$peers/load.py" "$rows1m" --repeat "$runs")"
fi
wanted sheets && for target in png:96 png:300 pdf:96; do
    ext=${target%%:*} dpi=${target##*:}
    label="one sheet to ${ext^^}"
    [ "$ext" = png ] && label="$label at $dpi dpi"
    add_row "command: $label" \
        "$(command_ms "$runs" 1 "$bin/vesplot export $stations -o $out/ours.$ext --dpi $dpi ${sym/=/ }")" \
        "$(command_ms "$runs" 1 "$py $peers/sheet.py $stations $out/peer.$ext $dpi")"
    add_row "in-process: $label" \
        "$(inproc_ms "$bin/vesplot_times" sheet "$stations" "$out/ours-inproc.$ext" "$dpi" "$runs")" \
        "$(inproc_ms "$py" "$peers/sheet.py" "$stations" "$out/peer-inproc.$ext" "$dpi" --repeat "$runs")"
done
wanted pages && add_row "command: $pagesStations stations to one PDF" \
    "$(command_ms "$pagesRuns" 0 "$bin/vesplot export $stations --all -o $out/ours-all.pdf ${sym/=/ } 2>/dev/null")" \
    "$(command_ms "$pagesRuns" 0 "$py $peers/pages.py $stations $out/peer-all.pdf")"

echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| task | vesplot (ms) | peer (ms) | peer / vesplot |"
echo "|---|---:|---:|---:|"
for row in "${rows[@]}"; do
    IFS='|' read -r label ours peer ratio <<<"$row"
    echo "| $label | $ours | $peer | ${ratio}x |"
done
