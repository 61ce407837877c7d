#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/h-fuzz) and runs each for SECONDS on a corpus seeded from
# fuzz/corpus/<target>, fuzz/regressions/, Data/ and tests/data/bad/ (every committed input is replayed
# first; the tagged reader with inputs up to 5 MiB, beyond the longest line held whole). Prints one summary line per target and exits non-zero when any target finds a crash, a hang
# (over 1 s), a leak or a sanitizer report; the input is left in build/h-fuzz/artifacts/.
#   fuzz/run.sh SECONDS [TARGET...]
set -uo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPLOT_FUZZ_BUILD_DIR:-$root/build/h-fuzz}
targets=(fuzz_tagged_reader fuzz_column_reader fuzz_column_probe fuzz_open_report fuzz_model_file fuzz_paint)
[ $# -gt 0 ] && targets=("$@")

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVESPLOT_WERROR=ON -DVESPLOT_BUILD_FUZZ=ON -DVESPLOT_BUILD_TESTS=OFF -DVESPLOT_BUILD_BENCH=OFF \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2 --target "${targets[@]}" >"$build/build.log" 2>&1 \
    || { tail -n 40 "$build/build.log"; exit 1; }

mkdir -p "$build/artifacts" "$build/logs"
# The painting target loads fonts: memory fontconfig and Qt keep for the life of the process is no leak.
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
summary=()
failed=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus"
    seeds=()
    for dir in "$root/fuzz/corpus/$target" "$root/fuzz/regressions" "$root/Data" "$root/tests/data/bad"; do
        [ -d "$dir" ] && seeds+=("$dir")
    done
    rm -f "$build/artifacts/$target-"*
    echo "== $target: ${seconds}s"
    # The tagged reader also gets inputs longer than the longest line a reader holds whole.
    max_len=65536
    [ "$target" = fuzz_tagged_reader ] && max_len=$((5 * 1024 * 1024))
    "$build/bin/$target" -max_total_time="$seconds" -timeout=1 -max_len="$max_len" -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    corp=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1)
    found=$(ls "$build/artifacts/$target-"* 2>/dev/null | head -n 1)
    if [ "$status" -eq 0 ] && [ -z "$found" ]; then
        summary+=("$target: ok, ${runs:-0} runs in ${seconds}s, ${cov:-cov: ?}, ${corp:-corp: ?}")
    else
        failed=1
        kind=$(grep -o -m 1 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer|UndefinedBehaviorSanitizer): [a-z][a-z -]*[a-z]' "$log" \
            || grep -o -m 1 'runtime error: .*' "$log" || echo "exit status $status")
        summary+=("$target: FAILED ($kind), ${runs:-?} runs; input ${found:-none}; log $log")
        grep -E 'ERROR|runtime error|#[0-9]+ 0x' "$log" | head -n 12
    fi
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
