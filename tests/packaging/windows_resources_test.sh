#!/usr/bin/env bash
# Compiles the Windows resource script with MinGW's windres, reads the result
# back, and checks that it holds what the program loads: icon groups 128 (two
# 16-colour images) and 132 (six images), bitmap 130, string 101, the version
# block for US English, naming the copyright holder of LICENSE with its
# copyright line, and the manifest. Compiled for the console program
# (VELDRIN_CONSOLE), it holds the application icon, the same version block
# and manifest, naming VeldrinIns.com, and nothing that only the window
# loads. Exit 77 (skipped) without windres or the
# Windows headers (packages binutils-mingw-w64-x86-64, mingw-w64-x86-64-dev).
#
# usage: windows_resources_test.sh RC_FILE LICENSE
set -euo pipefail
rc=$1 license=$2
windres=x86_64-w64-mingw32-windres
command -v "$windres" >/dev/null || { echo "$windres is not installed"; exit 77; }

# windres runs the MinGW C compiler as its preprocessor when there is one;
# otherwise the host's cpp, pointed at the Windows headers.
pp_args=()
if ! command -v x86_64-w64-mingw32-gcc >/dev/null; then
    headers=/usr/x86_64-w64-mingw32/include
    [ -f "$headers/windows.h" ] || { echo "no Windows headers in $headers"; exit 77; }
    command -v cpp >/dev/null || { echo "cpp is not installed"; exit 77; }
    pp_args=(--preprocessor=cpp)
    for a in -xc -nostdinc "-I$headers" -D_WIN32 -D_WIN64 -DRC_INVOKED; do
        pp_args+=("--preprocessor-arg=$a")
    done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# wxWidgets' own resource script is left out: its headers are not needed to
# check ours.
"$windres" "${pp_args[@]}" -DVELDRIN_WITHOUT_WX_RC "$rc" -O coff -o "$work/res.o"
"$windres" -J coff -i "$work/res.o" -O rc -o "$work/dump.rc"
"$windres" "${pp_args[@]}" -DVELDRIN_WITHOUT_WX_RC -DVELDRIN_CONSOLE "$rc" -O coff -o "$work/console.o"
"$windres" -J coff -i "$work/console.o" -O rc -o "$work/console.rc"

failures=0
dump=$work/dump.rc
expect() {
    local what=$1 pattern=$2
    if grep -qF -- "$pattern" "$dump"; then
        echo "ok: $what"
    else
        echo "MISSING: $what (no line with: $pattern)"
        failures=$((failures + 1))
    fi
}
absent() {
    local what=$1 pattern=$2
    if grep -qF -- "$pattern" "$dump"; then
        echo "WRONG: $what (a line with: $pattern)"
        failures=$((failures + 1))
    else
        echo "ok: $what"
    fi
}

expect "US English"                 'LANGUAGE 9, 1'
expect "icon group 128"             '128 14 /* RT_GROUP_ICON */'
expect "icon group 132"             '132 14 /* RT_GROUP_ICON */'
expect "bitmap 130"                 '130 2 /* RT_BITMAP */'
expect "string 101"                 '101, "&About VeldrinIns..."'
expect "file version"               'FILEVERSION 1, 0, 0, 2'
expect "product version"            'PRODUCTVERSION 1, 0, 0, 2'
expect "application file type"      'FILETYPE 0x1'
expect "US English strings"         'BLOCK "040904E4"'
expect "version string"             'VALUE "FileVersion", "1.0.0.2"'
expect "translation"                'VALUE "Translation", 0x409, 1252'
# LICENSE's copyright line as it stands, and its holder as the company.
copyright=$(grep -m 1 '^Copyright (c) ' "$license")
holder=$(sed 's/^Copyright (c) [0-9, -]* //' <<<"$copyright")
expect "LICENSE's copyright line"   "VALUE \"LegalCopyright\", \"$copyright\""
expect "LICENSE's holder"           "VALUE \"CompanyName\", \"${holder^}\""
expect "manifest"                   '1 24 /* RT_MANIFEST */'
expect "common controls 6"          'Microsoft.Windows.Common-Controls'
expect "DPI awareness"              'dpiAware'
expect "named VeldrinIns.exe"       'VALUE "OriginalFilename", "VeldrinIns.exe"'

# The console program's: its icon, version block and manifest as the
# window's, under its own file name and description.
copy=$(grep -v -e OriginalFilename -e FileDescription "$work/dump.rc" | sed -n '/VERSIONINFO/,/^END/p')
dump=$work/console.rc
echo "VeldrinIns.com:"
expect "icon group 128"             '128 14 /* RT_GROUP_ICON */'
absent "no icon group 132"          '132 14 /* RT_GROUP_ICON */'
absent "no logo"                    '130 2 /* RT_BITMAP */'
absent "no About string"            '&About VeldrinIns...'
expect "named VeldrinIns.com"       'VALUE "OriginalFilename", "VeldrinIns.com"'
expect "described as the command line" 'VALUE "FileDescription", "VeldrinIns: installs the Veldrin bot into Half-Life mods, from the command line"'
expect "LICENSE's copyright line"   "VALUE \"LegalCopyright\", \"$copyright\""
expect "manifest"                   '1 24 /* RT_MANIFEST */'
expect "common controls 6"          'Microsoft.Windows.Common-Controls'
expect "DPI awareness"              'dpiAware'
[ "$(grep -v -e OriginalFilename -e FileDescription "$dump" | sed -n '/VERSIONINFO/,/^END/p')" = "$copy" ] \
    && echo "ok: the window's version block but for the name and description" \
    || { echo "WRONG: the version blocks differ beyond the name and description"; failures=$((failures + 1)); }
manifest() { sed -n '/RT_MANIFEST/,/^END/p' "$1"; }
[ "$(manifest "$work/console.rc")" = "$(manifest "$work/dump.rc")" ] \
    && echo "ok: the window's manifest" \
    || { echo "WRONG: the manifests differ"; failures=$((failures + 1)); }
dump=$work/dump.rc

# The two icon groups: 128 holds a 32 and a 16 pixel image in 16 colours
# (4 bits), 132 holds six images.
group() {
    awk -v id="$1" '$1 == id && $2 == 14 { on = 1; next } on && /^END/ { exit } on' "$work/dump.rc"
}
g128=$(group 128)
g132=$(group 132)
if grep -q 'Has 2 elements' <<<"$g128" &&
   grep -qF '"\040\040\020\000", 1, 4,' <<<"$g128" &&
   grep -qF '"\020\020\020\000", 1, 4,' <<<"$g128"; then
    echo "ok: group 128 holds 32x32 and 16x16 at 16 colours"
else
    echo "WRONG: group 128:"; echo "$g128"; failures=$((failures + 1))
fi
if grep -q 'Has 6 elements' <<<"$g132"; then
    echo "ok: group 132 holds six images"
else
    echo "WRONG: group 132:"; echo "$g132"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
