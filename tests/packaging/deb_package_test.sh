#!/usr/bin/env bash
# Builds the Debian package from a finished build, then checks its control
# fields and its file list, and unpacks it to check that the menu entry, the
# icons and the metainfo point at files the package really installs, and
# that its copyright and changelog are what Debian wants; lintian, pedantic,
# finds nothing in it. Exit 77 (skipped) where dpkg-deb is missing.
#
# usage: deb_package_test.sh CPACK CPACK_CONFIG PROGRAM hardened|unhardened
# (unhardened: a build without the distribution's hardening flags, a debug or
# sanitizer build, whose package is never shipped; lintian's hardening tags
# are then shown, not failed.)
set -euo pipefail
cpack=$1 config=$2 program=$3 hardening=${4:-hardened}
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed"; exit 77; }
[ -f "$config" ] || { echo "no $config: the build defines no package"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" --config "$config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
debs=("$work"/out/*.deb)
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq 1 ] || { echo "cpack made no single .deb"; cat "$work/cpack.log"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = veldrinins ] && ok "Package: veldrinins" || fail "Package is '$(field Package)'"
[ "$(field Version)" = 1.0.0.2 ] && ok "Version: 1.0.0.2" || fail "Version is '$(field Version)'"
[ "$(field Section)" = utils ] && ok "Section: utils" || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] && ok "Maintainer: $(field Maintainer)" \
    || fail "Maintainer '$(field Maintainer)' is not 'name <address>'"
depends=$(field Depends)
grep -q 'libwx[a-z]*3\.2' <<<"$depends" && ok "Depends: $depends" \
    || fail "Depends '$depends' names no wxWidgets runtime"
[ -n "$(field Description)" ] && ok "has a description" || fail "no Description"

# File list: everything under /usr, and the files the desktop needs.
dpkg-deb -c "$deb" >"$work/list"
awk '{ print $1, $6 }' "$work/list" >"$work/files"
outside=$(awk '$2 !~ /^\.\/usr\// && $2 != "./" && $2 != "./usr/" { print $2 }' "$work/files")
[ -z "$outside" ] && ok "every file is under /usr" || fail "files outside /usr: $outside"
listed() {
    local path=$1 mode=${2:-}
    if awk -v p="./$path" -v m="$mode" '$2 == p && ($1 ~ "^" m) { found = 1 } END { exit !found }' "$work/files"; then
        ok "lists /$path"
    else
        fail "does not list /$path${mode:+ with mode $mode}"
    fi
}
listed "usr/bin/$program" '-rwxr-xr-x'
listed usr/share/applications/veldrinins.desktop '-rw-r--r--'
listed usr/share/metainfo/io.github.veldrin.VeldrinIns.metainfo.xml '-rw-r--r--'
listed "usr/share/man/man1/$program.1.gz" '-rw-r--r--'
listed usr/share/doc/veldrinins/copyright '-rw-r--r--'
listed usr/share/doc/veldrinins/changelog.gz '-rw-r--r--'
for size in 16 24 32 48 64 128 256; do
    listed "usr/share/icons/hicolor/${size}x${size}/apps/veldrinins.png" '-rw-r--r--'
done

# Unpacked: the menu entry runs a program on the PATH that the package
# installs, under an icon name the package installs, and the metainfo names
# the same entry and program.
root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/veldrinins.desktop
metainfo=$root/usr/share/metainfo/io.github.veldrin.VeldrinIns.metainfo.xml
if [ -f "$desktop" ]; then
    exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$root/usr/bin/$exec_cmd" ] && ok "Exec=$exec_cmd is /usr/bin/$exec_cmd" \
        || fail "Exec=$exec_cmd is not a program in /usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] && ok "Icon=$icon is in the hicolor theme" \
        || fail "Icon=$icon has no 48x48 image in the hicolor theme"
    if command -v desktop-file-validate >/dev/null; then
        out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] \
            && ok "installed entry validates" || fail "installed entry: $out"
    fi
    if [ -f "$metainfo" ]; then
        grep -qF '<launchable type="desktop-id">veldrinins.desktop</launchable>' "$metainfo" \
            && ok "metainfo launches veldrinins.desktop" || fail "metainfo does not launch veldrinins.desktop"
        grep -qF "<binary>$exec_cmd</binary>" "$metainfo" \
            && ok "metainfo provides $exec_cmd" || fail "metainfo does not provide binary $exec_cmd"
    fi
fi

# The licence in Debian's machine-readable format, and a changelog whose
# latest entry is this version.
copyright=$root/usr/share/doc/veldrinins/copyright
if [ -f "$copyright" ]; then
    head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        && grep -qx 'Copyright: [0-9-]* the Veldrin bot team' "$copyright" && grep -qx 'License: Expat' "$copyright" \
        && ok "copyright: machine-readable, the Veldrin bot team, Expat" || fail "copyright: $(cat "$copyright")"
fi
changelog=$root/usr/share/doc/veldrinins/changelog.gz
if [ -f "$changelog" ]; then
    latest=$(gzip -dc "$changelog" | sed -n '1s/^veldrinins (\([^)]*\)).*/\1/p')
    [ "$latest" = "$(field Version)" ] && ok "changelog: latest entry $latest" \
        || fail "changelog: latest entry '$latest', not the package's $(field Version)"
fi

# The manual page: groff renders it without a warning, it has the sections a
# reader looks for, its FILES name the files the program reads and writes,
# and it documents the very options and exit statuses that the packed
# program's --help lists, no more and no fewer.
manpage=$root/usr/share/man/man1/$program.1.gz
if [ -f "$manpage" ] && command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 >/dev/null)
    [ -z "$warnings" ] && ok "manual page: renders without a warning" || fail "manual page: $warnings"
    MANWIDTH=250 man -l "$manpage" 2>/dev/null | col -b >"$work/man.txt"
    section() { awk -v s="$1" '/^[A-Z][A-Z ]*$/ { on = ($0 == s); next } on' "$work/man.txt"; }
    for s in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES COPYRIGHT "SEE ALSO"; do
        grep -qx "$s" "$work/man.txt" && ok "manual page: section $s" || fail "manual page: no section $s"
    done
    for f in liblist.gam liblist.gam.veldrin Veldrin/veldrinins.ini Veldrin.log; do
        grep -qE "^ {7}(.*/)?$f\$" <<<"$(section FILES)" && ok "manual page: FILES names $f" \
            || fail "manual page: FILES does not name $f"
    done
    # grep -q ends at its first match, while section may still be writing:
    # under pipefail the pipe would fail. Each section is read whole first.
    grep -q gamedll_linux <<<"$(section DESCRIPTION)" && ok "manual page: says what becomes of gamedll_linux" \
        || fail "manual page: DESCRIPTION never mentions gamedll_linux"
    options() { grep -oE '(^|[^[:alnum:]-])--?[a-zA-Z][a-zA-Z-]*' | sed 's/^[^-]*//' | sort -u; }
    help=$("$root/usr/bin/$program" --help 2>&1) || fail "manual page: $program --help failed: $help"
    program_options=$(options <<<"$help")
    page_options=$( (section SYNOPSIS; section OPTIONS) | options)
    [ -n "$program_options" ] && [ "$program_options" = "$page_options" ] \
        && ok "manual page: the options of --help, $(echo $program_options)" \
        || fail "manual page: options [$(echo $page_options)], --help lists [$(echo $program_options)]"
    program_statuses=$(sed -n 's/^  \([0-9]\)  .*/\1/p' <<<"$help")
    page_statuses=$(section "EXIT STATUS" | sed -n 's/^ \{7\}\([0-9]\)  .*/\1/p')
    [ -n "$program_statuses" ] && [ "$program_statuses" = "$page_statuses" ] \
        && ok "manual page: the exit statuses of --help, $(echo $program_statuses)" \
        || fail "manual page: exit statuses [$(echo $page_statuses)], --help lists [$(echo $program_statuses)]"
    holder=$(sed -n 's/^Copyright: [0-9, -]* //p' "$root/usr/share/doc/veldrinins/copyright")
    [ -n "$holder" ] && grep -qF "$holder" <<<"$(section COPYRIGHT)" && ok "manual page: COPYRIGHT names $holder" \
        || fail "manual page: COPYRIGHT does not name the copyright file's holder '$holder'"
fi

# Debian's own checks of the package, pedantic ones and infos included: any
# tag fails, among them the hardening ones (the program built with
# dpkg-buildflags' flags: fortified functions, full RELRO, bind now) and
# unneeded sections left by the strip.
if command -v lintian >/dev/null; then
    out=$(lintian --pedantic --display-info "$deb" 2>&1) && status=0 || status=$?
    out=$(grep -v '^running with root privileges' <<<"$out" || true)
    if [ "$hardening" = unhardened ] && grep -q ' hardening-' <<<"$out"; then
        echo "note: a build without the hardening flags; lintian's hardening tags are not failed here:"
        grep ' hardening-' <<<"$out"
        out=$(grep -v ' hardening-' <<<"$out" || true)
    fi
    if [ "$status" -eq 0 ] && [ -z "$out" ]; then
        ok "lintian --pedantic --display-info: no tag"
    else
        fail "lintian --pedantic --display-info (status $status): $out"
    fi
fi

# AppStream's own check of an installed tree: metainfo, desktop entry and
# icons together. Of its pedantic hints only the one about the upper-case
# letters of the component id, io.github.veldrin.VeldrinIns, is accepted.
if command -v appstreamcli >/dev/null; then
    if out=$(appstreamcli validate-tree --pedantic --no-net "$root" 2>&1); then
        hints=$(grep -E '^ *[EWIP]: ' <<<"$out" | grep -v ': cid-contains-uppercase-letter ' || true)
        [ -z "$hints" ] && ok "appstreamcli validate-tree --pedantic: no hint but the component id's case" \
            || fail "appstreamcli validate-tree --pedantic: $hints"
    else
        fail "appstreamcli validate-tree: $out"
    fi
fi

[ "$failures" -eq 0 ]
