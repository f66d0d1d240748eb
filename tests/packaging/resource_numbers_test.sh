#!/usr/bin/env bash
# The Windows resource script and the program name the same resources by
# number: checks that both give each name the same number. Exit 77 (skipped)
# while the program's header is not there.
#
# usage: resource_numbers_test.sh RC_FILE RESOURCE_HEADER
set -euo pipefail
rc=$1 header=$2
[ -f "$header" ] || { echo "no $header yet"; exit 77; }

number() {  # number FILE NAME: the value given to NAME, in decimal
    local value
    value=$(sed -nE "s/^[[:space:]]*(#define[[:space:]]+$2[[:space:]]+|constexpr[[:space:]]+int[[:space:]]+$2[[:space:]]*=[[:space:]]*)([0-9A-Fa-fx]+).*/\2/p" "$1" | head -n 1)
    [ -n "$value" ] && echo $((value))
}

failures=0
for name in IDS_ABOUTBOX IDR_MAINFRAME IDB_LOGO; do
    in_rc=$(number "$rc" "$name" || true)
    in_header=$(number "$header" "$name" || true)
    if [ -z "$in_rc" ] || [ -z "$in_header" ]; then
        echo "MISSING: $name (resource script: '${in_rc}', header: '${in_header}')"
        failures=$((failures + 1))
    elif [ "$in_rc" != "$in_header" ]; then
        echo "DIFFERENT: $name is $in_rc in the resource script and $in_header in the header"
        failures=$((failures + 1))
    else
        echo "ok: $name = $in_rc"
    fi
done
[ "$failures" -eq 0 ]
