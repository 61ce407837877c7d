#!/bin/sh
# The headless commands print and draw numbers the same under a comma-decimal locale as under C:
# `vesplot inspect` JSON and an exported SVG sheet (its axis labels are text) must be byte-identical.
# Usage: SameUnderEveryLocale.sh PROGRAM DATAFILE WORKDIR
program=$1 data=$2 work=$3
comma=de_DE.UTF-8
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "no comma-decimal locale ($comma) on this machine: scripts/install-deps.sh generates it"
    exit 77
fi
mkdir -p "$work" || exit 1
for loc in C "$comma"; do
    LC_ALL=$loc "$program" inspect "$data" >"$work/inspect-$loc.json" || exit 1
    LC_ALL=$loc "$program" export "$data" --params res,m1,td -o "$work/sheet-$loc.svg" || exit 1
done
cmp "$work/inspect-C.json" "$work/inspect-$comma.json" || { echo "inspect differs under $comma"; exit 1; }
cmp "$work/sheet-C.svg" "$work/sheet-$comma.svg" || { echo "the exported sheet differs under $comma"; exit 1; }
# the right axis of the IP parameters carries one decimal, written with a point
grep -q '>20\.0<' "$work/sheet-$comma.svg" || { echo "no label 20.0 on the right axis"; exit 1; }
