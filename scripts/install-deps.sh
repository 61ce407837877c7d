#!/usr/bin/env bash
# Installs the Debian packages vesplot needs to build, test and run, when any is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config ccache
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev zlib1g-dev libeigen3-dev
    libgtest-dev googletest libbenchmark-dev
    fonts-wqy-microhei fonts-liberation2
    xvfb xauth valgrind
    dpkg-dev desktop-file-utils shared-mime-info
)
if [ "${1:-}" = "--with-fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
