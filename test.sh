#!/usr/bin/env bash
# Installs what is missing, configures a fresh build with warnings as errors, builds, and runs
# every test. Prints CTest's summary; exits non-zero on any failure.
#   ./test.sh             the normal build (build/test)
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build (build/sanitize)
# With clang++ installed, a 20-second fuzzing run of each fuzz target follows the tests.
set -euo pipefail
cd "$(dirname "$0")"

sanitize=OFF
build_dir=build/test
for arg in "$@"; do
    case "$arg" in
        --sanitize) sanitize=ON; build_dir=build/sanitize ;;
        *) echo "usage: ./test.sh [--sanitize]" >&2; exit 2 ;;
    esac
done

fuzz_flag=()
command -v clang++ >/dev/null 2>&1 && fuzz_flag=(--with-fuzz)
scripts/install-deps.sh "${fuzz_flag[@]}"

mkdir -p build
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build_dir" --fresh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPLOT_WERROR=ON \
    -DVESPLOT_SANITIZE="$sanitize" -DVESPLOT_BUILD_BENCH=ON >"$build_dir.configure.log" 2>&1 \
    || { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" -j"$jobs"

export QT_QPA_PLATFORM=offscreen
if [ "$sanitize" = ON ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
fi
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" --timeout 600

# A short fuzzing run of every reader target when clang is at hand.
if [ "$sanitize" = OFF ] && [ -z "${VESPLOT_SKIP_FUZZ_SMOKE:-}" ] && command -v clang++ >/dev/null 2>&1; then
    fuzz/run.sh 20
fi
