#!/usr/bin/env bash
# Builds the Qt-free layers (core, data, plot, sheet, model, section) and their tests for Windows with
# Debian's MinGW-w64 cross compiler, warnings as errors, and runs the tests under Wine: a check that these
# layers use nothing but the standard library (and Eigen) and behave on Windows as they do here (paths,
# locale, long double). Also compiles the program's one file with system calls of its own for Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "g++-mingw-w64-x86-64-posix is missing" >&2; exit 1; }
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "wine64 is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
build=build/mingw
# nlohmann-json's package files name /usr/include, which would put the system's C headers before MinGW's;
# a prefix of its own holds its headers alone.
json=$build/nlohmann-json
mkdir -p "$json/share/cmake" "$json/include"
cp -r /usr/share/cmake/nlohmann_json "$json/share/cmake/"
ln -sfn /usr/include/nlohmann "$json/include/nlohmann"
cmake -S . -B "$build" --fresh -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVESPLOT_QT_FREE_ONLY=ON -DVESPLOT_WERROR=ON -DEigen3_DIR=/usr/share/eigen3/cmake \
    -Dnlohmann_json_DIR="$PWD/$json/share/cmake/nlohmann_json" >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"
x86_64-w64-mingw32-g++-posix -std=c++20 -Wall -Wextra -Werror -c src/cli/ProgramArguments.cpp -o "$build/ProgramArguments.o"
echo "Qt-free layers build for Windows (MinGW-w64)"

# The tests under Wine, in a Wine prefix of their own inside the build folder.
export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
passed=0
failed=0
for program in core_tests data_tests plot_tests sheet_tests model_tests section_tests; do
    if "$wine" "$build/bin/$program.exe" --gtest_brief=1 >"$build/$program.log" 2>&1; then
        passed=$((passed + 1))
        echo "$program: passed under Wine ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$build/$program.log" | head -1))"
    else
        failed=$((failed + 1))
        echo "$program: FAILED under Wine" >&2
        tail -40 "$build/$program.log" >&2
    fi
done
"$wine" wineserver -k >/dev/null 2>&1 || true
echo "Qt-free tests under Wine: $passed of $((passed + failed)) programs passed"
[ "$failed" -eq 0 ]
