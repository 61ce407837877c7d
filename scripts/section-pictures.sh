#!/usr/bin/env bash
# Makes the survey-line section pictures of README.md and Help/sections.html in docs/:
#   section-res.png, section-model.png                  the README's two commands (Data/sample-ip.dat,
#                                                        tests/data/realdata/boundiali.dat)
#   section-line100-res.png, section-line100-model.png  a generated 100-station line (vesplot_gen line),
#                                                        its pseudosection and its three-layer model section
#   section-res-pdf.png, section-model-pdf.png          the PDF pages of Data/sample-ip.dat's sections,
#                                                        rendered by pdftoppm
#   section-window.png                                  the section window under a virtual display, opened
#                                                        on Data/sample-ip.dat through 图形 → 测线剖面图...
#   section-window-line100-model.png                    the same on the generated line, its model section
# and copies the window and the two PDF pages into Help/images/ for the help page.
# Usage: scripts/section-pictures.sh [BUILD_DIR]   (default build/test; it needs vesplot and vesplot_gen)
# Needs pdftoppm (poppler-utils), xvfb-run (xvfb, xauth), xdotool and import (imagemagick).
set -euo pipefail

if [ "${1:-}" = "--window" ]; then
    # Inside the virtual display: open the sample file, click the 图形 menu, take its last command (the
    # section window), make the window tall enough for the section and grab it.
    bin=$2
    out=$3
    file=${4:-Data/sample-ip.dat}
    view=${5:-}
    "$bin/vesplot" "$file" &
    program=$!
    trap 'kill "$program" 2>/dev/null || true' EXIT
    main=
    for _ in $(seq 1 80); do
        main=$(xdotool search --onlyvisible --name '电测深曲线图' 2>/dev/null | head -1) || true
        [ -n "$main" ] && break
        sleep 0.25
    done
    [ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
    sleep 2
    # Without a window manager the main window sits at the top left; 图形(G) is the second menu.
    xdotool mousemove 80 8 click 1
    sleep 1
    xdotool key Up
    sleep 0.5
    xdotool key Return
    section=
    for _ in $(seq 1 80); do
        section=$(xdotool search --onlyvisible --name '测线剖面图' 2>/dev/null | head -1) || true
        [ -n "$section" ] && break
        sleep 0.25
    done
    [ -n "$section" ] || { echo "the section window did not appear" >&2; exit 1; }
    xdotool windowsize "$section" 1340 1000
    sleep 2
    if [ "$view" = model ]; then
        # 参数 → its last entry, the model section, then 刷新 (fits every station, with progress).
        xdotool mousemove --window "$section" 80 20 click 1
        sleep 0.5
        xdotool key End Return
        sleep 0.5
        refresh=$(xdotool search --onlyvisible --name '测线剖面图' | head -1)
        xdotool mousemove --window "$refresh" 545 20 click 1
        sleep 6
    fi
    import -window "$section" "$out"
    exit 0
fi

script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$script")/.."
build=${1:-build/test}
bin=$(cd "$build/bin" && pwd)
for tool in pdftoppm xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/vesplot" section Data/sample-ip.dat -o docs/section-res.png --dpi 100
"$bin/vesplot" section tests/data/realdata/boundiali.dat --param model -o docs/section-model.png --dpi 100

"$bin/vesplot_gen" line 100 7 "$work/line100.dat"
"$bin/vesplot" section "$work/line100.dat" --spacing 20 --scale 5000 --dpi 100 -o docs/section-line100-res.png
"$bin/vesplot" section "$work/line100.dat" --spacing 20 --param model --dpi 100 \
    -o docs/section-line100-model.png

"$bin/vesplot" section Data/sample-ip.dat -o "$work/res.pdf"
"$bin/vesplot" section Data/sample-ip.dat --param model -o "$work/model.pdf"
pdftoppm -r 100 -png -singlefile "$work/res.pdf" docs/section-res-pdf
pdftoppm -r 100 -png -singlefile "$work/model.pdf" docs/section-model-pdf

xvfb-run -a -s '-screen 0 1600x1000x24' "$script" --window "$bin" "$PWD/docs/section-window.png"
xvfb-run -a -s '-screen 0 1600x1000x24' "$script" --window "$bin" "$PWD/docs/section-window-line100-model.png" \
    "$work/line100.dat" model
mkdir -p Help/images
cp docs/section-window.png docs/section-res-pdf.png docs/section-model-pdf.png Help/images/
ls -l docs/section-res.png docs/section-model.png docs/section-line100-res.png docs/section-line100-model.png docs/section-res-pdf.png \
    docs/section-model-pdf.png docs/section-window.png docs/section-window-line100-model.png
