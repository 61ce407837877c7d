#!/usr/bin/env bash
# Installs the Debian packages vesplot needs to build, test and run, when any is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config ccache locales
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev zlib1g-dev libeigen3-dev nlohmann-json3-dev
    libgtest-dev googletest libbenchmark-dev
    fonts-wqy-microhei fonts-liberation2
    xvfb xauth valgrind clang-format g++-mingw-w64-x86-64-posix wine64
    dpkg-dev desktop-file-utils shared-mime-info
)
if [ "${1:-}" = "--with-fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

# A comma-decimal locale for the tests that check numbers read and print the same under every locale.
ensure_comma_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    echo "Generating the de_DE.UTF-8 locale for the locale tests"
    "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: de_DE.UTF-8 could not be generated" >&2
}
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    ensure_comma_locale
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_comma_locale
