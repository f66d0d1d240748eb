#!/usr/bin/env bash
# Links the Windows resource script into a small Windows program that loads
# each resource the way the dialog does, and runs it under Wine in a private
# prefix. Exit 77 (skipped) without the MinGW C compiler or Wine.
#
# usage: load_resources_test.sh RC_FILE LOADER_SOURCE
set -euo pipefail
rc=$1 source=$2
triplet=x86_64-w64-mingw32
for tool in $triplet-gcc $triplet-windres wine; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

"$triplet-windres" -DVELDRIN_WITHOUT_WX_RC "$rc" -O coff -o "$work/res.o"
"$triplet-gcc" -O1 -o "$work/load.exe" "$source" "$work/res.o" -lgdi32
wine "$work/load.exe" 2>"$work/wine.log" | tr -d '\r' >"$work/got" || { cat "$work/wine.log"; exit 1; }

cat >"$work/want" <<'WANT'
string 101: &About VeldrinIns...
icon 128 large: 32x32
icon 128 small: 16x16
icon 132 at 48: 48x48
bitmap 130: 113x60, 24 bits
WANT
if diff -u "$work/want" "$work/got"; then
    cat "$work/got"
else
    exit 1
fi
