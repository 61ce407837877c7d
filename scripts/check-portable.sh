#!/usr/bin/env bash
# Builds the Qt-free layers (core, data, plot, sheet, model) for Windows with Debian's MinGW-w64 cross
# compiler, warnings as errors: a check that they use nothing but the standard library (and Eigen).
# Also compiles the program's one file with system calls of its own for Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "g++-mingw-w64-x86-64-posix is missing" >&2; exit 1; }
build=build/mingw
cmake -S . -B "$build" --fresh -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVESPLOT_QT_FREE_ONLY=ON -DVESPLOT_WERROR=ON -DEigen3_DIR=/usr/share/eigen3/cmake >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"
x86_64-w64-mingw32-g++-posix -std=c++20 -Wall -Wextra -Werror -c src/cli/ProgramArguments.cpp -o "$build/ProgramArguments.o"
echo "Qt-free layers build for Windows (MinGW-w64)"
