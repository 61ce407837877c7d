#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it.
# Arguments are passed to the program (for example a data file to open).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
mkdir -p build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVESPLOT_BUILD_TESTS=OFF -DVESPLOT_BUILD_BENCH=OFF \
    >build/release.configure.log 2>&1 || { cat build/release.configure.log; exit 1; }
cmake --build build/release -j"$(nproc 2>/dev/null || echo 2)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "vesplot: no display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "Run it on a desktop session, or without one under a virtual display: xvfb-run -a ./run.sh" >&2
    exit 1
fi
exec build/release/bin/vesplot "$@"
