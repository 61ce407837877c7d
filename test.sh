#!/usr/bin/env bash
# Installs what is missing, configures a fresh build with warnings as errors, builds, and runs
# every test. Prints CTest's summary; exits non-zero on any failure.
#   ./test.sh             the normal build (build/test)
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build (build/sanitize)
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
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" --timeout 300
