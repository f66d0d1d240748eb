#!/usr/bin/env bash
# Builds the Debian packages from a finished build: veldrinins, the window
# program, and veldrinins-cli, the console program alone. Checks the window
# package's control fields and its file list, and unpacks it to check that
# the menu entry, the icons and the metainfo point at files the package
# really installs, and that its copyright and changelog are what Debian
# wants; checks that the console package and its program need no desktop
# library (its Depends and ldd name no wxWidgets, GTK or X11), carry the same
# manual page, licence and changelog, and that the console program started
# without arguments hands over to the window program beside it. lintian,
# pedantic, finds nothing in either. Exit 77 (skipped) where dpkg-deb is
# missing.
#
# usage: deb_package_test.sh CPACK CPACK_CONFIG PROGRAM|- hardened|unhardened
# (PROGRAM: the window program's file name, or - for a build without the
# window, which packs the console package alone. unhardened: a build without
# the distribution's hardening flags, a debug or sanitizer build, whose
# packages are never shipped; lintian's hardening tags are then shown, not
# failed.)
set -euo pipefail
cpack=$1 config=$2 program=$3 hardening=${4:-hardened}
console=veldrinins
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed"; exit 77; }
[ -f "$config" ] || { echo "no $config: the build defines no package"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" --config "$config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
debs=("$work"/out/*.deb)
wanted=2; [ "$program" = - ] && wanted=1
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq $wanted ] \
    || { echo "cpack made ${#debs[@]} .deb, not $wanted"; cat "$work/cpack.log"; exit 1; }
console_deb=$(ls "$work"/out/veldrinins-cli_*.deb 2>/dev/null || true)
[ -f "$console_deb" ] || { echo "cpack made no veldrinins-cli package: $(ls "$work/out")"; exit 1; }
echo "console package: $(basename "$console_deb")"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# Debian's own checks of a package, pedantic ones and infos included: any
# tag fails, among them the hardening ones (the program built with
# dpkg-buildflags' flags: fortified functions, full RELRO, bind now) and
# unneeded sections left by the strip.
lint() {
    local deb=$1 out status
    command -v lintian >/dev/null || return 0
    out=$(lintian --pedantic --display-info "$deb" 2>&1) && status=0 || status=$?
    out=$(grep -v '^running with root privileges' <<<"$out" || true)
    if [ "$hardening" = unhardened ] && grep -q ' hardening-' <<<"$out"; then
        echo "note: a build without the hardening flags; lintian's hardening tags are not failed here:"
        grep ' hardening-' <<<"$out"
        out=$(grep -v ' hardening-' <<<"$out" || true)
    fi
    if [ "$status" -eq 0 ] && [ -z "$out" ]; then
        ok "lintian --pedantic --display-info $(basename "$deb"): no tag"
    else
        fail "lintian --pedantic --display-info $(basename "$deb") (status $status): $out"
    fi
}

# The console package: the program, its manual page, licence and changelog,
# and nothing of a desktop, neither in its files nor in what it depends on.
cfield() { dpkg-deb -f "$console_deb" "$1"; }
[ "$(cfield Package)" = veldrinins-cli ] && ok "console: Package: veldrinins-cli" \
    || fail "console: Package is '$(cfield Package)'"
[ "$(cfield Source)" = veldrinins ] && ok "console: Source: veldrinins" || fail "console: Source is '$(cfield Source)'"
[ "$(cfield Version)" = 1.0.0.2 ] && ok "console: Version: 1.0.0.2" || fail "console: Version is '$(cfield Version)'"
[ "$(cfield Section)" = utils ] && ok "console: Section: utils" || fail "console: Section is '$(cfield Section)'"
desktop_libraries='libwx|libgtk|libgdk|libx11|libxcb|libxext|libxrender|libcairo|libpango|libatk|libwayland|libgl|libegl|libsm|libice|hicolor|icon-theme'
cdepends=$(cfield Depends)
for kind in Depends Recommends Suggests Pre-Depends; do
    value=$(cfield "$kind")
    if grep -qiE "$desktop_libraries" <<<"$value"; then
        fail "console: $kind names a desktop library: $value"
    fi
done
grep -q 'libc6' <<<"$cdepends" && ! grep -qiE "$desktop_libraries" <<<"$cdepends" \
    && ok "console: Depends: $cdepends, no wxWidgets, GTK or X11" || fail "console: Depends is '$cdepends'"
dpkg-deb -c "$console_deb" | awk '$1 !~ /^d/ { print $1, $6 }' | sort -k 2 >"$work/console-files"
expected=$(printf '%s\n' "-rwxr-xr-x ./usr/bin/$console" "-rw-r--r-- ./usr/share/doc/veldrinins-cli/changelog.gz" \
    "-rw-r--r-- ./usr/share/doc/veldrinins-cli/copyright" "-rw-r--r-- ./usr/share/man/man1/$console.1.gz")
# Besides, the catalogues of both programs, each a compiled one of its language.
catalogues=$(grep -c ' ./usr/share/locale/' "$work/console-files")
grep ' ./usr/share/locale/' "$work/console-files" | grep -vqE '^-rw-r--r-- \./usr/share/locale/[a-z]{2}(_[A-Z]{2})?/LC_MESSAGES/veldrinins\.mo$' &&
    fail "console: a file under /usr/share/locale that is not a catalogue: $(grep ' ./usr/share/locale/' "$work/console-files")"
[ "$(grep -v ' ./usr/share/locale/' "$work/console-files")" = "$expected" ] &&
    ok "console: lists /usr/bin/$console, its manual page, copyright, changelog and $catalogues catalogues alone" \
    || fail "console: lists [$(cat "$work/console-files")], not [$expected]"
croot=$work/console-root
dpkg-deb -x "$console_deb" "$croot"
if [ -x "$croot/usr/bin/$console" ]; then
    if command -v ldd >/dev/null; then
        linked=$(ldd "$croot/usr/bin/$console")
        if grep -qiE "$desktop_libraries" <<<"$linked"; then
            fail "console: ldd $console names a desktop library: $(grep -iE "$desktop_libraries" <<<"$linked" | tr -s '\t\n' '  ')"
        else
            ok "console: ldd $console lists $(wc -l <<<"$linked") lines, no wxWidgets, GTK or X11"
        fi
    fi
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$croot/usr/bin/$console" --version 2>&1) \
        && [ "$version" = "VeldrinIns $(cfield Version)" ] && ok "console: --version without a display: $version" \
        || fail "console: --version without a display: $version"
    # Its help and its pointer to it name the command a server has.
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$croot/usr/bin/$console" --help 2>&1) || true
    mistake=$(env -u DISPLAY -u WAYLAND_DISPLAY "$croot/usr/bin/$console" --frob 2>&1) || true
    grep -q "^Usage: $console --list" <<<"$help" && grep -qF "see '$console --help'" <<<"$mistake" \
        && ok "console: --help and a usage error name the command as $console" \
        || fail "console: --help or a usage error names another command: $(head -n 1 <<<"$help"); $mistake"
    # Alone, without arguments, it names the window program it would start.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$croot/usr/bin/$console" 2>&1) && status=0 || status=$?
    [ "$status" -eq 1 ] && grep -qF "/usr/bin/VeldrinIns" <<<"$out" && grep -qF -- "$console --help" <<<"$out" \
        && ok "console: alone, without arguments, names the missing window program and --help (status 1)" \
        || fail "console: alone, without arguments (status $status): $out"
fi
crootcopy=$croot/usr/share/doc/veldrinins-cli/copyright
head -n 1 "$crootcopy" 2>/dev/null | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    && grep -qx 'License: Expat' "$crootcopy" && ok "console: copyright: machine-readable, Expat" \
    || fail "console: copyright: $(cat "$crootcopy" 2>&1)"
latest=$(gzip -dc "$croot/usr/share/doc/veldrinins-cli/changelog.gz" 2>/dev/null | sed -n '1s/^veldrinins (\([^)]*\)).*/\1/p')
[ "$latest" = "$(cfield Version)" ] && ok "console: changelog: latest entry $latest" \
    || fail "console: changelog: latest entry '$latest', not the package's $(cfield Version)"
cmanpage=$croot/usr/share/man/man1/$console.1.gz
if command -v man >/dev/null && [ -f "$cmanpage" ]; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$cmanpage" 2>&1 >/dev/null)
    [ -z "$warnings" ] && ok "console: manual page renders without a warning" || fail "console: manual page: $warnings"
    MANWIDTH=250 man -l "$cmanpage" 2>/dev/null | col -b >"$work/console-man.txt"
    names=$(awk '/^[A-Z][A-Z ]*$/ { on = ($0 == "NAME"); next } on' "$work/console-man.txt")
    grep -qE "(^|[ ,])$console( |,)" <<<"$names" && ok "console: manual page NAME names $console" \
        || fail "console: manual page NAME does not name $console: $names"
fi
lint "$console_deb"

if [ "$program" = - ]; then
    [ "$failures" -eq 0 ]
    exit
fi

# The window package, and the same page, licence and changelog in both.
deb=$(ls "$work"/out/veldrinins_*.deb 2>/dev/null || true)
[ -f "$deb" ] || { echo "cpack made no veldrinins package: $(ls "$work/out")"; exit 1; }
echo "package: $(basename "$deb")"

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

# The console package's manual page, licence and changelog are the window
# package's, and its program's help and version are the window program's;
# without arguments it hands over to the window program beside it (here
# without a display, so both end alike).
for file in usr/share/man/man1/VeldrinIns.1.gz:usr/share/man/man1/$console.1.gz \
        usr/share/doc/veldrinins/copyright:usr/share/doc/veldrinins-cli/copyright \
        usr/share/doc/veldrinins/changelog.gz:usr/share/doc/veldrinins-cli/changelog.gz; do
    cmp -s "$root/${file%%:*}" "$croot/${file#*:}" && ok "/${file#*:} is the window package's /${file%%:*}" \
        || fail "/${file#*:} is not the window package's /${file%%:*}"
done
for args in --help --version; do
    # (The help's forms name the command as it was started.)
    [ "$("$croot/usr/bin/$console" $args 2>&1 | sed -E "s/^(Usage: | +)$console /\1$program /")" = \
        "$("$root/usr/bin/$program" $args 2>&1)" ] \
        && ok "$console $args prints what $program $args prints" || fail "$console $args differs from $program $args"
done
cp "$croot/usr/bin/$console" "$root/usr/bin/"
window_out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" 2>&1) && window_status=0 || window_status=$?
console_out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$console" 2>&1) && console_status=0 || console_status=$?
[ "$console_status" = "$window_status" ] && [ "$console_out" = "$window_out" ] \
    && ok "$console without arguments starts $program beside it (no display: status $window_status)" \
    || fail "$console without arguments: status $console_status, '$console_out'; $program: status $window_status, '$window_out'"
rm "$root/usr/bin/$console"

lint "$deb"

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
