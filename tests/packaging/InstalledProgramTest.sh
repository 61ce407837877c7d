#!/bin/sh
# Installs the build into a temporary root and runs the installed program headlessly.
#   InstalledProgramTest.sh install BUILD-DIR WORK-DIR   cmake --install --prefix /opt/vesplot with DESTDIR
#   InstalledProgramTest.sh deb BUILD-DIR WORK-DIR       cpack -G DEB, then dpkg-deb -x into the root
set -eu
mode=$1
build=$2
work=$3
icon_sizes="16 32 48 64 128 256"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/root"
root=$work/root
prefix=/opt/vesplot

case $mode in
install)
    DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$work/install.log"
    share=$root$prefix/share
    program=$root$prefix/bin/vesplot
    ;;
deb)
    command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing: skipped"; exit 77; }
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
    deb=$(ls "$work"/cpack/vesplot_*.deb)
    dpkg-deb -x "$deb" "$root"
    dpkg-deb -f "$deb" Package | grep -qx vesplot || fail "package name"
    depends=$(dpkg-deb -f "$deb" Depends)
    for needed in libqt6widgets6 libqt6svg6 qt6-qpa-plugins fonts-wqy-microhei fonts-liberation2; do
        echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
    done
    dpkg-deb -f "$deb" Maintainer | grep -q . || fail "no maintainer"
    share=$root/usr/share
    # Started through the /usr/bin link, the program still finds its folders under the prefix.
    [ -L "$root/usr/bin/vesplot" ] || fail "/usr/bin/vesplot is no link"
    program=$root/usr/bin/vesplot
    [ ! -e "$root$prefix/share" ] || fail "desktop files left under $prefix/share"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac

# The layout the program relies on: Data/ and Help/ beside the program's folder.
[ -x "$root$prefix/bin/vesplot" ] || fail "no program at $prefix/bin/vesplot"
[ -f "$root$prefix/Data/sample-ip.dat" ] || fail "no $prefix/Data/sample-ip.dat"
[ -f "$root$prefix/Data/sample.ves" ] || fail "no $prefix/Data/sample.ves"
[ -f "$root$prefix/Help/index.html" ] || fail "no $prefix/Help/index.html"

# Desktop entry, icons and MIME types.
desktop=$share/applications/vesplot.desktop
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Exec=vesplot %f' "$desktop" || fail "desktop entry Exec"
grep -q '^MimeType=.*application/x-vesplot-ves;' "$desktop" || fail "desktop entry MimeType .ves"
grep -q '^MimeType=.*application/x-vesplot-dat;' "$desktop" || fail "desktop entry MimeType .dat"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
for size in $icon_sizes; do
    png=$share/icons/hicolor/${size}x${size}/apps/vesplot.png
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    # PNG header: width and height as big-endian words at bytes 16 and 20.
    dims=$(od -An --endian=big -tu4 -j16 -N8 "$png" | tr -s ' ')
    [ "$dims" = " $size $size" ] || fail "${size}x${size} icon is$dims"
done
[ -f "$share/icons/hicolor/scalable/apps/vesplot.svg" ] || fail "no scalable icon"
mime=$share/mime/packages/vesplot.xml
[ -f "$mime" ] || fail "no MIME types"
if command -v update-mime-database >/dev/null; then
    # The database built from our types alone maps the file names to them.
    mkdir -p "$work/mime/packages"
    cp "$mime" "$work/mime/packages/"
    update-mime-database "$work/mime" || fail "update-mime-database"
    grep -q 'application/x-vesplot-ves:\*\.ves' "$work/mime/globs" || fail "no *.ves glob"
    grep -q '^10:application/x-vesplot-dat:\*\.dat' "$work/mime/globs2" || fail "*.dat glob weight"
fi

# The installed program, headless: the installed sample loads and a sheet is exported.
export QT_QPA_PLATFORM=offscreen
"$program" inspect "$root$prefix/Data/sample-ip.dat" >"$work/inspect.json" || fail "inspect exit status"
grep -q '"loaded":true' "$work/inspect.json" || fail "inspect did not load: $(head -c 300 "$work/inspect.json")"
"$program" export "$root$prefix/Data/sample.ves" -o "$work/sheet.pdf" || fail "export exit status"
head -c 5 "$work/sheet.pdf" | grep -q '%PDF-' || fail "export wrote no PDF"
# Without a headless command the program opens its window and runs until it is closed.
status=0
timeout 3 "$program" >"$work/window.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the window did not start (exit $status): $(head -c 300 "$work/window.log")"
echo "installed program ($mode) works"
