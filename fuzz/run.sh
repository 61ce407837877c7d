#!/usr/bin/env bash
# Builds the reader fuzz targets with clang (build/h-fuzz) and runs each for SECONDS on a corpus
# seeded from fuzz/corpus/<target>, Data/ and tests/data/. Exits non-zero when a target finds a
# crash, a hang (over 1 s) or a sanitizer report; the input is left in build/h-fuzz/artifacts/.
#   fuzz/run.sh SECONDS
set -euo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPLOT_FUZZ_BUILD_DIR:-$root/build/h-fuzz}
targets=(fuzz_tagged_reader fuzz_column_reader fuzz_column_probe)

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVESPLOT_WERROR=ON -DVESPLOT_BUILD_FUZZ=ON -DVESPLOT_BUILD_TESTS=OFF -DVESPLOT_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 \
    || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    echo "== $target: ${seconds}s"
    "$build/bin/$target" -max_total_time="$seconds" -timeout=1 -max_len=65536 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "$root/fuzz/corpus/$target" "$root/Data" "$root/tests/data/bad" 2>&1 | tail -n 12
    status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "$target failed (status $status); see $build/artifacts/" >&2
        exit "$status"
    fi
done
