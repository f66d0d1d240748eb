#!/usr/bin/env bash
# Validates an AppStream metainfo file offline; errors and warnings fail the
# test, and of the pedantic hints only the one about the upper-case letters
# of the component id (io.github.veldrin.VeldrinIns, kept as published) is
# accepted. Then checks that the metainfo says what the other files say: the
# licence of LICENSE (MIT) for the program and the metadata, LICENSE's
# copyright holder as the developer, and the release of the changelog's
# latest entry, on the same day. Exit 77 (skipped) without appstreamcli.
#
# usage: validate_metainfo.sh METAINFO LICENSE CHANGELOG
set -u
metainfo=$1 license=$2 changelog=$3
command -v appstreamcli >/dev/null || { echo "appstreamcli is not installed"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

if out=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1); then
    hints=$(grep -E '^[EWIP]: ' <<<"$out" | grep -v ': cid-contains-uppercase-letter ' || true)
    [ -z "$hints" ] && ok "appstreamcli validate --pedantic: no hint but the component id's case" \
        || fail "appstreamcli validate --pedantic: $hints"
else
    fail "appstreamcli validate: $out"
fi

# One element's text, from a file that has it on one line.
element() { sed -n "s:.*<$1>\(.*\)</$1>.*:\1:p" "$metainfo" | head -n 1; }

# LICENSE: "MIT License" on its first line, then "Copyright (c) YEAR HOLDER".
[ "$(head -n 1 "$license")" = "MIT License" ] || fail "LICENSE is not the MIT licence: $(head -n 1 "$license")"
holder=$(sed -n 's/^Copyright (c) [0-9, -]* \(.*\)$/\1/p' "$license" | head -n 1)
[ -n "$holder" ] || fail "LICENSE has no line 'Copyright (c) YEAR HOLDER'"
for tag in project_license metadata_license; do
    [ "$(element "$tag")" = MIT ] && ok "$tag: MIT, as LICENSE" || fail "$tag is '$(element "$tag")', LICENSE is MIT"
done
developer=$(element developer_name)
[ "${developer,}" = "${holder,}" ] && ok "developer_name: $developer, LICENSE's holder" \
    || fail "developer_name is '$developer', LICENSE's holder is '$holder'"

# The changelog's latest entry: "veldrinins (VERSION) ...", then its trailer
# line " -- NAME <ADDRESS>  DATE".
version=$(sed -n '1s/^veldrinins (\([^)]*\)).*/\1/p' "$changelog")
trailer_date=$(sed -n 's/^ -- .*>  \(.*\)$/\1/p' "$changelog" | head -n 1)
day=$(date -u -d "$trailer_date" +%F 2>/dev/null)
[ -n "$version" ] && [ -n "$day" ] || fail "changelog: no latest entry with a version and a date"
release=$(grep -o '<release [^>]*>' "$metainfo" | head -n 1)
[[ "$release" == *"version=\"$version\""* ]] && ok "latest release: $version, as the changelog" \
    || fail "latest release is $release, the changelog's latest entry $version"
[[ "$release" == *"date=\"$day\""* ]] && ok "release date: $day, as the changelog" \
    || fail "release is $release, the changelog's entry is dated $day"

[ "$failures" -eq 0 ]
