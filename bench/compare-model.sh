#!/usr/bin/env bash
# Side-by-side of vesplot's 3-layer fits against the scipy peer (bench/peers/invert.py) on the field
# soundings in tests/data/realdata: builds Release in its own build dir, runs model_times (median of RUNS
# runs per station) and the peer (one run: each of its fits takes a second or so), and prints a table per
# station and per file.
#   bench/compare-model.sh [RUNS]
# Environment: VESPLOT_COMPARE_BUILD_DIR (default build/compare), PYTHON (default /usr/bin/python3, Debian's,
# where python3-numpy and python3-scipy live; installed with apt-get when missing).
set -euo pipefail
runs=${1:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPLOT_COMPARE_BUILD_DIR:-$root/build/compare}
py=${PYTHON:-/usr/bin/python3}
"$py" -c 'import numpy, scipy' 2>/dev/null || {
    sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y --no-install-recommends python3-numpy python3-scipy >/dev/null
}
echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESPLOT_BUILD_TESTS=OFF -DVESPLOT_BUILD_BENCH=ON \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2 --target model_times >"$build.build.log" 2>&1 || { tail -n 40 "$build.build.log"; exit 1; }
files=("$root"/tests/data/realdata/{gbalo,boundiali,semien}.dat)
ours=$(mktemp)
peer=$(mktemp)
trap 'rm -f "$ours" "$peer"' EXIT
"$build/bin/model_times" "${files[@]}" --runs "$runs" >"$ours"
for f in "${files[@]}"; do "$py" "$root/bench/peers/invert.py" "$f"; done >"$peer"
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$py" - "$ours" "$peer" <<'PY'
import sys
ours = {}
files = {}
for line in open(sys.argv[1]):
    cells = [c.strip() for c in line.strip().strip("|").split("|")]
    if len(cells) == 9 and cells[1].isdigit():
        ours[(cells[0], int(cells[1]))] = (float(cells[3]), float(cells[5]))
    elif len(cells) == 4 and cells[1].isdigit():
        files[cells[0]] = (float(cells[2]), float(cells[3]))
peer, peer_files = {}, {}
for line in open(sys.argv[2]):
    w = line.split()
    name = w[0].split(".")[0]
    if w[1] == "file":
        peer_files[name] = float(w[3])
    else:
        peer[(name, int(w[1]))] = (float(w[3]), float(w[7]))
print("| station | vesplot RMS % | vesplot ms | scipy RMS % | scipy ms | scipy / vesplot |")
print("|---|---:|---:|---:|---:|---:|")
for key in sorted(ours, key=lambda k: (list(files).index(k[0]), k[1])):
    (r, t), (pr, pt) = ours[key], peer[key]
    print(f"| {key[0]} {key[1]} | {r:.2f} | {t:.1f} | {pr:.2f} | {pt:.0f} | {pt / t:.0f}x |")
print()
print("| file | vesplot ms (1 thread) | vesplot ms (2 threads) | scipy ms | scipy / vesplot (2 threads) |")
print("|---|---:|---:|---:|---:|")
for name, (one, two) in files.items():
    print(f"| {name} | {one:.1f} | {two:.1f} | {peer_files[name]:.0f} | {peer_files[name] / two:.0f}x |")
PY
