#!/usr/bin/env bash
# The real program's command line on fresh copies of the sample game folder,
# with no display: the list, an install and a remove checked on disk, the
# usage errors, a mod that is not in the list, a mod already as asked, a
# read-only liblist.gam, extras that cannot be copied, and no game folder;
# the help against the manual page. A Windows program runs
# under the given emulator (Wine) in the caller's Wine prefix, is handed
# Windows paths, and its console companion VeldrinIns.com, when it lies
# beside it, is run the way cmd.exe finds it.
#   command_line_test.sh PROGRAM SAMPLE_GAME [EMULATOR]
set -uo pipefail
program=$1 sample=$2 emulator=${3:-}

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir -p "$work/empty"
if [ -z "$emulator" ]; then
    # Nothing of the machine's own Half-Life: no Wine registry, no Steam.
    export HOME=$work/empty WINEPREFIX=$work/empty
    # The English texts, whatever language the caller's system speaks.
    unset LANGUAGE LC_ALL LC_MESSAGES LANG
fi
game=$work/game/Half-Life

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fresh copy, dated as scripts/demo dates it (Deathmatch Classic's bot two
# months older than the package's), and a pristine one to compare with.
fresh() {
    chmod -R u+w "$work" && rm -rf "$work/game" "$work/pristine"
    mkdir -p "$work/game" && cp -r "$sample" "$game"
    find "$game" -exec touch -d '2024-05-20 12:00 UTC' {} +
    touch -d '2024-03-18 12:00 UTC' "$game/dmc/dlls/veldrin.dll"
    cp -a "$work/game" "$work/pristine"
}

# The files that differ from the pristine copy (changed, new or gone), one a line.
snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
changed() {
    diff <(snapshot "$work/pristine/Half-Life") <(snapshot "$game") | sed -n 's|^[<>] [0-9a-f]*  \./||p' | sort -u
}
expect_changed() {  # CASE FILE...
    local case=$1
    shift
    local want
    want=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
    [ "$(changed)" = "$want" ] || fail "$case: changed files are [$(changed | tr '\n' ' ')], not [${want//$'\n'/ }]"
}

winpath() { if [ -n "$emulator" ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi; }

# A Linux program runs without a display. Under Wine the display stays: a
# Wine process started without one, while the prefix's desktop process is
# not running, starts that process without it, and every window opened in
# the prefix afterwards fails (the dialog tests and the real program that
# follow this test).
without_display="env -u DISPLAY -u WAYLAND_DISPLAY"
[ -z "$emulator" ] || without_display=env

# Runs the program (without a display, see above); sets status, out and err
# (CR LF line ends of Windows' text mode made plain).
run() {
    $without_display $emulator "$program" "$@" >"$work/out" 2>"$work/err"
    status=$?
    out=$(tr -d '\r' <"$work/out")
    err=$(tr -d '\r' <"$work/err")
}
expect() {  # CASE STATUS
    [ "$status" -eq "$2" ] || fail "$1: status $status, not $2; stderr: $err"
}
one_line_error() {  # CASE TEXT...
    [ -z "$out" ] || fail "$1: wrote to standard output: $out"
    [ "$(wc -l <<<"$err")" -eq 1 ] || fail "$1: not one line on standard error: $err"
    local text
    # Windows names the files with backslashes.
    for text in "${@:2}"; do
        grep -qF -- "$text" <<<"${err//\\//}" || fail "$1: standard error lacks \"$text\": $err"
    done
}

gamedll() { tr -d '\r' <"$game/$1/liblist.gam" | grep '^gamedll '; }

# Paths in the help are spelled with the host's separator.
if [ -n "$emulator" ]; then sep_help='\'; else sep_help='/'; fi

tab=$'\t'
sample_list="cstrike${tab}installed${tab}Counter-Strike
tfc${tab}not installed${tab}Team Fortress Classic
dmc${tab}need upgrade${tab}Deathmatch Classic
gearbox${tab}not installed${tab}Opposing Force
dod${tab}installed${tab}Day of Defeat
valve${tab}not installed${tab}Half-Life Deathmatch
frontline${tab}not installed${tab}Front Line Force
ts${tab}not installed${tab}The Specialists"

# Every mod of the sample has a gamedll_linux line, which a Linux server
# loads instead of the bot: on Linux the list notes them on standard error,
# and an Install ends with its own status; Windows loads the gamedll line's.
if [ -z "$emulator" ]; then
    linux_note="a Linux server loads the library of the gamedll_linux line, not the bot, in cstrike, tfc, dmc, gearbox, dod, valve, frontline, ts"
    installed_status=6
else
    linux_note=""
    installed_status=0
fi

# --- The list: the dialog's rows in catalogue order, nothing else; the game
# folder named, or found from inside the package folder.
fresh
run --list --game-dir "$(winpath "$game")"
expect list 0
[ "$out" = "$sample_list" ] || fail "list: got
$out"
if [ -n "$linux_note" ]; then
    [ "$(wc -l <<<"$err")" -eq 1 ] && grep -qF -- "$linux_note" <<<"$err" ||
        fail "list: no note of the Linux server: $err"
else
    [ -z "$err" ] || fail "list: wrote to standard error: $err"
fi
run --list --quiet --game-dir "$(winpath "$game")"
expect "quiet list" 0
[ "$out" = "$sample_list" ] && [ -z "$err" ] || fail "quiet list: printed $out; stderr: $err"
# A quoted folder that ends in a backslash, as a batch file's "%~dp0" is,
# reaches the program with a quote at its end; the package folder stands for
# the game folder, as in Browse.
for dir in "$(winpath "$game")\"" "$(winpath "$game/Veldrin")" "$(winpath "$game/veldrin/")\""; do
    run --list --quiet --game-dir "$dir"
    expect "--game-dir $dir" 0
    [ "$out" = "$sample_list" ] || fail "--game-dir $dir: got $out"
done
(cd "$game/Veldrin" && run --list)
expect "list from the package folder" 0
[ "$out" = "$sample_list" ] || fail "list from the package folder: got
$out"
run --list --porcelain --game-dir "$(winpath "$game")"
[ "$(cut -f2 <<<"$out" | sort -u | tr '\n' ' ')" = "installed need-upgrade not-installed " ] ||
    fail "porcelain list: got $out"
# In the test language (tests/support/test_language.po), whose catalogue
# the build puts where the program finds it: the human list shows its
# status words, --porcelain the same words as in English.
if [ -z "$emulator" ]; then
    english_porcelain=$out
    LANGUAGE=qaa run --list --porcelain --game-dir "$game"
    [ "$out" = "$english_porcelain" ] || fail "porcelain list in the test language: got $out"
    LANGUAGE=qaa run --list --quiet --game-dir "$game"
    grep -qP '\tinstalléré\t' <<<"$out" && ! grep -qP '\tinstalled\t' <<<"$out" ||
        fail "list in the test language: got $out"
fi
if [ -z "$emulator" ]; then
    $without_display "$program" --list --game-dir "$game" >/dev/full 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] || fail "list into a full disk: status $status, not 1"
fi

# Game folders named in Cyrillic and in Chinese: listed, or, on a Windows
# whose code page cannot hold the name, refused with that reason, the
# folder named exactly. A catalogue in Windows-1251 is shown in the Russian
# player's code page, one saved as UTF-8 keeps its names and loses its
# byte-order mark; either way the list prints UTF-8.
for name in Игры 游戏; do
    mkdir -p "$work/$name" && cp -a "$game" "$work/$name/"
    run --list --quiet --game-dir "$(winpath "$work/$name/Half-Life")"
    if [ "$status" -eq 3 ] && [ -n "$emulator" ]; then
        one_line_error "--game-dir $name" "the game folder \"Z:$work/$name/Half-Life\" cannot be used: its name holds \"$name\""
    else
        expect "--game-dir $name" 0
        [ "$out" = "$sample_list" ] || fail "--game-dir $name: got $out"
    fi
    rm -rf "${work:?}/$name"
done
catalogue=$game/Veldrin/veldrinins.ini
cp "$catalogue" "$work/catalogue"
printf '\xc4\xe5\xed\xfc \xcf\xee\xe1\xe5\xe4\xfb\r\ncstrike\r\nmp\r\n' >"$catalogue"
# (Wine takes the Windows locale from LC_ALL even where the host lacks it.)
out=$($without_display LC_ALL=ru_RU.UTF-8 $emulator "$program" --list --quiet --porcelain \
    --game-dir "$(winpath "$game")" 2>"$work/err" | tr -d '\r')
[ "$out" = "cstrike${tab}installed${tab}День Победы" ] || fail "Windows-1251 catalogue under ru_RU: got $out"
printf '\xef\xbb\xbfCondici\xc3\xb3n Zero\r\ncstrike\r\nmp\r\n' >"$catalogue"
run --list --quiet --game-dir "$(winpath "$game")"
[ "$out" = "cstrike${tab}installed${tab}Condición Zero" ] || fail "UTF-8 catalogue with a byte-order mark: got $out"
cp "$work/catalogue" "$catalogue"

# --- Install, MOD matched ignoring case, one extra left out; then Remove.
# Exactly the mod's files change, and the list shows it.
run --install FrontLine --no-chat --game-dir "$(winpath "$game")"
expect install "$installed_status"
[ -z "$linux_note" ] || grep -qF "a Linux server loads frontline/dlls/" <<<"$err" ||
    fail "install: no note of the Linux server: $err"
[ "$out" = "frontline${tab}installed${tab}Front Line Force" ] || fail "install: printed $out"
expect_changed install frontline/liblist.gam frontline/Veldrin.installed frontline/dlls/veldrin.dll \
    frontline/maps/ftl_outpost.vwp frontline/Veldrin_names.txt frontline/Veldrin.cfg frontline/bot_weapon_config.cfg
[ "$(gamedll frontline)" = 'gamedll "dlls\veldrin.dll"' ] || fail "install: $(gamedll frontline)"
cmp -s "$game/Veldrin/veldrin.dll" "$game/frontline/dlls/veldrin.dll" || fail "install: not the package's library"

run --remove cstrike --game-dir "$(winpath "$game")"
expect remove 0
[ "$out" = "cstrike${tab}not installed${tab}Counter-Strike" ] || fail "remove: printed $out"
[ "$(gamedll cstrike)" = 'gamedll "dlls\mp.dll"' ] || fail "remove: $(gamedll cstrike)"
[ ! -e "$game/cstrike/dlls/veldrin.dll" ] || fail "remove: the bot library is still there"
run --list --game-dir "$(winpath "$game")"
[ "$(cut -f1,2 <<<"$out" | grep -E '^(frontline|cstrike)')" = "cstrike${tab}not installed
frontline${tab}installed" ] || fail "list after install and remove: $out"

# --- An upgrade keeps what the player changed: the tuned Veldrin.cfg stays,
# the package's copy beside it, and a note says so.
printf '// my tuning\r\n' >>"$game/frontline/Veldrin.cfg"
tuned=$(cat "$game/frontline/Veldrin.cfg")
touch -d '2024-06-01 12:00 UTC' "$game/Veldrin/veldrin.dll"
run --install frontline --porcelain --game-dir "$(winpath "$game")"
expect upgrade "$installed_status"
[ "$out" = "frontline${tab}installed${tab}Front Line Force" ] || fail "upgrade: printed $out"
cmp -s "$game/Veldrin/veldrin.dll" "$game/frontline/dlls/veldrin.dll" || fail "upgrade: not the package's library"
[ "$(cat "$game/frontline/Veldrin.cfg")" = "$tuned" ] || fail "upgrade: the tuned Veldrin.cfg was replaced"
cmp -s "$game/Veldrin/Veldrin.cfg" "$game/frontline/Veldrin.cfg.veldrin-new" || fail "upgrade: no package copy beside"
grep -qF "frontline${sep_help}Veldrin.cfg" <<<"$err" || fail "upgrade: no note of the kept file: $err"

# --- Usage errors and a mod that is not in the list (Ricochet is catalogued
# but absent): status 2, nothing changed.
fresh
run --help
expect help 0
if [ -z "$emulator" ]; then
    # A language the program has no catalogue of is English, byte for byte;
    # the test language's words replace the English ones.
    english_help=$out
    for language in xx xx_YY.UTF-8@euro C; do
        LANGUAGE=$language run --help
        [ "$out" = "$english_help" ] || fail "help with LANGUAGE=$language is not the English one: $out"
    done
    # A region the catalogues lack falls back to its language; LANGUAGE's
    # list is tried in order.
    for languages in "LANG=qaa_YY.UTF-8" "LANGUAGE=xx:qaa"; do
        env "$languages" $without_display "$program" --help >"$work/out" 2>&1
        [ "$(head -c 10 "$work/out")" = "Gebrauch: " ] || fail "help with $languages: $(head -1 "$work/out")"
    done
    out=$english_help
fi
for option in list install remove game-dir no-names no-waypoints no-cfg no-chat no-wpn-configs help version; do
    grep -q -- "--$option" <<<"$out" || fail "help: no --$option"
done
for option in MOD DIR "exclude each other" "Veldrin$sep_help"; do
    grep -qF -- "$option" <<<"$out" || fail "help: no $option"
done
too_wide=$(awk 'length($0) > 80' <<<"$out")
[ -z "$too_wide" ] || fail "help: wider than 80 columns: $too_wide"
# The manual page gives the forms of the help in its SYNOPSIS (and the
# window's bare one), the options of the help in the same order in its
# OPTIONS, and opens each exit status with the words the help gives it.
manual=$(dirname "$0")/../../res/VeldrinIns.1
if command -v man >/dev/null && [ -f "$manual" ]; then
    LC_ALL=C MANWIDTH=1000 man -l "$manual" 2>/dev/null | col -bx >"$work/man.txt"
    section() { awk -v s="$1" '/^[A-Z][A-Z ]*$/ { on = ($0 == s); next } on' "$work/man.txt"; }
    squeeze() { sed 's/^ *//; s/  */ /g; /^$/d'; }
    help_forms=$(sed -n '1,/^$/s/^Usage://p; 2,/^$/p' <<<"$out" |
        awk '/^ *VeldrinIns / { if (f) print f; f = $0; next } NF { f = f " " $0 } END { print f }' | squeeze)
    page_forms=$(section SYNOPSIS | squeeze | grep -vx VeldrinIns)
    [ -n "$help_forms" ] && [ "$help_forms" = "$page_forms" ] || fail "manual page: SYNOPSIS
$page_forms
is not the help's
$help_forms"
    help_options=$(awk '/^  -/ { sub(/^  /, ""); sub(/  .*/, ""); print }' <<<"$out")
    # Each option's tag in OPTIONS, from the page's source: a line after
    # .TP, its words joined as the fonts join them.
    page_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH /{/^\.TP/{n;s/^\.[BIR]* //;s/\\-/-/g;p}}' "$manual" |
        while read -r tag; do xargs printf '%s' <<<"$tag"; echo; done)
    [ -n "$help_options" ] && [ "$help_options" = "$page_options" ] || fail "manual page: OPTIONS [$(echo $page_options)], not the help's [$(echo $help_options)]"
    help_statuses=$(sed '1,/^Exit status:/d' <<<"$out" |
        awk '/^  [0-9]  / { if (e) print e; e = $0; next } { e = e " " $0 } END { print e }' | squeeze)
    page_statuses=$(section "EXIT STATUS" | awk '/^       [0-9] / { if (e) print e; e = $0; next } { e = e " " $0 } END { print e }' | squeeze)
    [ -n "$help_statuses" ] && [ "$(cut -c1 <<<"$help_statuses")" = "$(cut -c1 <<<"$page_statuses")" ] ||
        fail "manual page: exit statuses $(cut -c1 <<<"$page_statuses" | tr '\n' ' '), not the help's"
    while read -r number words; do
        opening="$number $(sed 's/^./\u&/' <<<"$words")."
        grep -qxF -- "$opening" <<<"$(grep "^$number " <<<"$page_statuses" | cut -c1-${#opening})" ||
            fail "manual page: exit status $number does not open with \"$opening\""
    done <<<"$help_statuses"
fi
run -h
expect "-h" 0
run -V
expect "-V" 0
[ "$out" = "$(grep -o 'VeldrinIns [0-9.]*' <<<"$out")" ] || fail "-V: printed $out"
run --frob
expect "unknown option" 2
one_line_error "unknown option" frob "--help" "VeldrinIns: "
run --list --remove tfc --game-dir "$(winpath "$game")"
expect "two commands" 2
one_line_error "two commands" "exclude each other"
run --install tfc --install gearbox --game-dir "$(winpath "$game")"
expect "an option twice" 2
one_line_error "an option twice" "--install" "twice"
run --list --game-dir "$(winpath "$game")" --game-dir "$(winpath "$work")"
expect "a game folder twice" 2
while IFS='|' read -r case text args; do
    # shellcheck disable=SC2086  # the arguments are words
    run $args
    expect "$case" 2
    one_line_error "$case" "$text"
done <<'CASES'
a value for a switch|option '--help' takes no value|--help=x
a value for an unknown option|unknown option '--frob'|--frob=x
a misspelt option with a value|unknown option '--gamedir' (did you mean '--game-dir'?)|--gamedir=/srv/hlds
a word after --|unexpected argument 'tfc'|--list -- tfc
an option after --|unexpected argument '--porcelain'|--list -- --porcelain
no DIR after --game-dir|option '--game-dir' needs a DIR|--list --game-dir
no MOD after --install|option '--install' needs a MOD|--install
-h and --help|option '--help' is given twice|-h --help
an extra left out without --install|--no-chat goes with --install only|--remove tfc --no-chat
a word that is no option|unexpected argument 'tfc'|--list tfc
no command|give one of --list, --install MOD and --remove MOD|--porcelain
CASES
run --list --game-dir="$(winpath "$game")"
expect "--game-dir=DIR" 0
[ "$out" = "$sample_list" ] || fail "--game-dir=DIR: got $out"
run --list --game-dir "$(winpath "$game")" --
expect "-- at the end" 0
[ "$out" = "$sample_list" ] || fail "-- at the end: got $out"
run --install ricochet --game-dir "$(winpath "$game")"
expect "mod not in the list" 2
one_line_error "mod not in the list" ricochet
expect_changed "usage errors"

# --- The command line changes only what the dialog would: Install for a mod
# "not installed" or in "need upgrade", Remove for one "installed". A mod
# already as asked is success: nothing changes, the row is printed, one note
# says so, and --quiet leaves the note out.
while IFS='|' read -r case command mod row; do
    run "$command" "$mod" --game-dir "$(winpath "$game")"
    expect "$case" 0
    [ "$out" = "${row//,/$tab}" ] || fail "$case: printed $out"
    [ "$(wc -l <<<"$err")" -eq 1 ] && grep -qF "VeldrinIns: note: " <<<"$err" &&
        grep -qF "$mod (" <<<"$err" && grep -qF "nothing changed" <<<"$err" || fail "$case: not one note: $err"
    run "$command" "$mod" --quiet --porcelain --game-dir "$(winpath "$game")"
    expect "$case, quiet" 0
    [ "$out" = "$(sed 's/not installed/not-installed/' <<<"${row//,/$tab}")" ] && [ -z "$err" ] ||
        fail "$case, quiet: printed $out; stderr: $err"
done <<'CASES'
install into an installed mod|--install|cstrike|cstrike,installed,Counter-Strike
remove from a mod not installed|--remove|tfc|tfc,not installed,Team Fortress Classic
CASES
run --remove dmc --quiet --game-dir "$(winpath "$game")"
expect "remove from a mod in need of an upgrade" 1
one_line_error "remove from a mod in need of an upgrade" '"need upgrade"' "nothing changed"
expect_changed "changes the dialog would not make"

# An admin's script run twice under set -e: the second run changes nothing
# and succeeds as well. (A Linux server's tree ends an Install with status 6.)
script() {
    set -e
    $without_display $emulator "$program" --install tfc --quiet --game-dir "$(winpath "$game")" || [ $? -eq 6 ]
    $without_display $emulator "$program" --remove cstrike --quiet --game-dir "$(winpath "$game")"
}
for round in first second; do
    (script) >"$work/out" 2>"$work/err"
    status=$? err=$(cat "$work/err")
    expect "the $round run of a script under set -e" 0
    [ -z "$(tr -d '\r' <"$work/err")" ] || fail "the $round run of a script: stderr $(cat "$work/err")"
done
[ "$(gamedll tfc)" = 'gamedll "dlls\veldrin.dll"' ] && [ "$(gamedll cstrike)" = 'gamedll "dlls\mp.dll"' ] ||
    fail "a script run twice: $(gamedll tfc), $(gamedll cstrike)"

# The change is decided again under the game folder's lock: another
# installer that made it meanwhile leaves the mod as asked, which is success.
if [ -z "$emulator" ] && command -v flock >/dev/null; then
    fresh
    cp -a "$game" "$work/other"
    "$program" --remove dod --game-dir "$work/other" >/dev/null 2>&1
    rm -f "$work/release"
    flock -o "$game" bash -c 'touch "$1/locked"; while [ ! -e "$1/release" ]; do sleep 0.1; done' _ "$work" &
    holder=$!
    while [ ! -e "$work/locked" ] && kill -0 "$holder" 2>/dev/null; do sleep 0.1; done
    $without_display "$program" --remove dod --game-dir "$game" >"$work/out" 2>"$work/err" &
    remover=$!
    sleep 1
    # Removed as the other installer would, while this one waits.
    cp "$work/other/dod/liblist.gam" "$game/dod/liblist.gam" && rm "$game/dod/dlls/veldrin.dll"
    touch "$work/release"
    wait "$holder"
    wait "$remover"
    status=$?
    out=$(cat "$work/out") err=$(cat "$work/err")
    expect "removed meanwhile" 0
    [ "$out" = "dod${tab}not installed${tab}Day of Defeat" ] || fail "removed meanwhile: printed $out"
    grep -qF "note: the bot is not installed in dod" <<<"$err" || fail "removed meanwhile: no note: $err"
    rm -rf "$work/other" "$work/locked" "$work/release"
fi
fresh

# --- A plug-in loader line longer than a row: Install keeps it whole, Remove
# gives it back, and the mod's files are as they were, byte for byte.
loader='gamedll "addons\metamod\dlls\some_really_long_plugin_loader_name_for_testing_purposes.dll"'
printf '// Valve Game Info file\r\ngame "Team Fortress Classic"\r\n%s\r\ngamedll_linux "dlls/tfc_i386.so"' \
    "$loader" >"$game/tfc/liblist.gam"
mkdir -p "$game/tfc/addons/metamod/dlls"
echo "MZ loader" >"$game/tfc/addons/metamod/dlls/some_really_long_plugin_loader_name_for_testing_purposes.dll"
cp -a "$game/tfc/." "$work/pristine/Half-Life/tfc/"
run --install tfc --no-names --no-waypoints --no-cfg --no-chat --game-dir "$(winpath "$game")"
expect "install over a long loader line" "$installed_status"
[ "$(tr -d '\r' <"$game/tfc/liblist.gam.veldrin")" = "$loader" ] ||
    fail "long loader line: kept $(cat "$game/tfc/liblist.gam.veldrin")"
run --remove tfc --game-dir "$(winpath "$game")"
expect "remove after a long loader line" 0
expect_changed "long loader line round trip"

# --- A Linux server's tree: the mod's .so, which gamedll_linux names, and no
# Windows library. Install and Remove round trip, the Windows line given back.
rm "$game/cstrike/dlls/mp.dll" "$game/cstrike/dlls/veldrin.dll"
printf '// Valve Game Info file\r\ngame "Counter-Strike"\r\ngamedll "dlls\\mp.dll"\r\ngamedll_linux "dlls/cs.so"\r\n' \
    >"$game/cstrike/liblist.gam"
echo "ELF server library" >"$game/cstrike/dlls/cs.so"
rm -rf "$work/pristine/Half-Life/cstrike" && cp -a "$game/cstrike" "$work/pristine/Half-Life/"
run --install cstrike --no-names --no-waypoints --no-cfg --no-chat --game-dir "$(winpath "$game")"
expect "install into a Linux server's tree" "$installed_status"
run --remove cstrike --game-dir "$(winpath "$game")"
expect "remove from a Linux server's tree" 0
[ "$out" = "cstrike${tab}not installed${tab}Counter-Strike" ] || fail "remove from a Linux server's tree: printed $out"
expect_changed "Linux server's tree round trip"
fresh

# --- Failures. A read-only liblist.gam: status 1, the reason in one line,
# the mod as it was.
chmod a-w "$game/gearbox/liblist.gam"
run --install gearbox --game-dir "$(winpath "$game")"
expect "read-only liblist.gam" 1
one_line_error "read-only liblist.gam" gearbox/liblist.gam "left as it was"
expect_changed "read-only liblist.gam"
run --list --game-dir "$(winpath "$game")"
[ "$out" = "$sample_list" ] || fail "read-only liblist.gam: the list now reads $out"
# In the test language the file layer's reason is the catalogue's too.
if [ -z "$emulator" ]; then
    LANGUAGE=qaa run --install gearbox --game-dir "$game"
    expect "read-only liblist.gam in the test language" 1
    one_line_error "read-only liblist.gam in the test language" "gearbox/liblist.gam: Datei nur zum Lesen"
    expect_changed "read-only liblist.gam in the test language"
fi

# A writable liblist.gam in a folder that refuses new files (as a user the
# folder's mode binds): the folder's refusal is told, not the file's.
chmod u+w "$game/gearbox/liblist.gam" && chmod a-w "$game/gearbox"
if [ -z "$emulator" ] && [ "$(id -u)" -ne 0 ]; then
    run --install gearbox --game-dir "$(winpath "$game")"
    expect "folder that refuses new files" 1
    one_line_error "folder that refuses new files" \
        "gearbox/liblist.gam: its folder does not let new files be made in it (" "left as it was"
    expect_changed "folder that refuses new files"
fi
chmod u+w "$game/gearbox" && chmod a-w "$game/gearbox/liblist.gam"

# A liblist.gam that cannot be read (a folder at its name; as another user,
# one without read permission): the list says so and ends with status 1,
# the change names the file and its reason (status 1, not a usage error).
mv "$game/tfc/liblist.gam" "$work/liblist.gam" && mkdir "$game/tfc/liblist.gam"
for unreadable in folder permission; do
    if [ "$unreadable" = permission ]; then
        [ -z "$emulator" ] && [ "$(id -u)" -ne 0 ] || continue  # root reads it all the same
        rmdir "$game/tfc/liblist.gam" && cp "$work/liblist.gam" "$game/tfc/" && chmod 000 "$game/tfc/liblist.gam"
    fi
    run --list --porcelain --game-dir "$(winpath "$game")"
    expect "unreadable liblist.gam ($unreadable): list" 1
    [ "$(cut -f1 <<<"$out" | tr '\n' ' ')" = "cstrike dmc gearbox dod valve frontline ts " ] ||
        fail "unreadable liblist.gam ($unreadable): listed $out"
    grep -qF "cannot read tfc/liblist.gam: " <<<"${err//\\//}" || fail "unreadable liblist.gam ($unreadable): $err"
    run --install tfc --game-dir "$(winpath "$game")"
    expect "unreadable liblist.gam ($unreadable): install" 1
    one_line_error "unreadable liblist.gam ($unreadable): install" "tfc/liblist.gam: " "left as it was"
done
chmod u+rw "$game/tfc/liblist.gam" 2>/dev/null
rm -rf "$game/tfc/liblist.gam" && mv "$work/liblist.gam" "$game/tfc/liblist.gam"

# A maps "folder" that is a file and a package file that links out of the
# package: each of the two causes is told with its own reason, and once.
fresh
rm -r "$game/tfc/maps" && echo "not a folder" >"$game/tfc/maps"
if [ -z "$emulator" ]; then
    echo "not the package's" >"$work/secret" && ln -sf "$work/secret" "$game/Veldrin/Veldrin_chat.txt"
    run --install tfc --game-dir "$(winpath "$game")" --quiet
    expect "extras not copied for two reasons" 4
    [ "$(wc -l <<<"$err")" -eq 1 ] && grep -qF "(tfc/maps/2fort.vwp: " <<<"$err" &&
        grep -qF "; tfc/Veldrin_chat.txt: it lies outside $game/Veldrin, reached through a link)" <<<"$err" &&
        [ "$(grep -o 'Not a directory' <<<"$err" | wc -l)" -eq 1 ] || fail "extras not copied for two reasons: $err"
fi

# A maps "folder" that is a file: the mod is installed, its waypoints are
# not copied and are named (status 4).
fresh
rm -r "$game/tfc/maps" && echo "not a folder" >"$game/tfc/maps"
run --install tfc --game-dir "$(winpath "$game")"
expect "extras not copied" 4
[ "$out" = "tfc${tab}installed${tab}Team Fortress Classic" ] || fail "extras not copied: printed $out"
grep -qF 'tfc/maps/2fort.vwp' <<<"${err//\\//}" && grep -qF 'tfc/maps/well.vwp' <<<"${err//\\//}" \
    || fail "extras not copied: not named: $err"

# A bot library that cannot be deleted (read-only): the mod is back on its
# own library, and the library that stayed is named (status 4).
chmod a-w "$game/dod/dlls/veldrin.dll"
run --remove dod --game-dir "$(winpath "$game")"
expect "library left behind" 4
[ "$out" = "dod${tab}not installed${tab}Day of Defeat" ] || fail "library left behind: printed $out"
grep -qF 'dod/dlls/veldrin.dll' <<<"${err//\\//}" || fail "library left behind: not named: $err"
chmod u+w "$game/dod/dlls/veldrin.dll"

# A kept file edited so that it no longer fits: nothing changes (status 1).
printf '// my note\r\n' >"$game/cstrike/liblist.gam.veldrin"
run --remove cstrike --game-dir "$(winpath "$game")"
expect "kept lines that do not fit" 1
one_line_error "kept lines that do not fit" "liblist.gam.veldrin" "not a gamedll line" "left as it was"

# A kept line whose library has gone: the catalogue's line goes back, and
# the mod is not as it was before Install (status 4).
printf 'gamedll "addons\\gone\\gone.dll"\r\n' >"$game/cstrike/liblist.gam.veldrin"
run --remove cstrike --game-dir "$(winpath "$game")"
expect "kept lines not given back" 4
[ "$out" = "cstrike${tab}not installed${tab}Counter-Strike" ] || fail "kept lines not given back: printed $out"
grep -qF 'cstrike/addons/gone/gone.dll' <<<"${err//\\//}" || fail "kept lines not given back: not named: $err"
[ "$(gamedll cstrike)" = 'gamedll "dlls\mp.dll"' ] || fail "kept lines not given back: $(gamedll cstrike)"

# No game folder: one named without the catalogue, none found (status 3).
run --list --game-dir "$(winpath "$work/empty")"
expect "game folder without a catalogue" 3
one_line_error "game folder without a catalogue" "veldrinins.ini"
(cd "$work/empty" && run --remove cstrike)
expect "no game folder" 3
one_line_error "no game folder" "--game-dir"

# Without arguments and without a display: the program's own two lines,
# nothing of the toolkit's, status 1. (GDK_BACKEND keeps GTK from trying a
# Wayland display of its own choosing.)
if [ -z "$emulator" ]; then
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY GDK_BACKEND=x11 "$program" 2>&1 >/dev/null)
    status=$?
    expect "no arguments, no display" 1
    [ "$err" = "VeldrinIns cannot start: the window system could not be reached (is there a display?).
Without a window, the command line lists, installs and removes: see VeldrinIns --help." ] ||
        fail "no arguments, no display: stderr $err"
fi

# --- Windows: a command typed in cmd.exe runs the console companion, whose
# output and exit status reach the console.
companion=${program%.exe}.com
if [ -n "$emulator" ] && [ -f "$companion" ]; then
    fresh
    dir=$(winpath "$(dirname "$program")")
    out=$(cd "$work" && $without_display $emulator cmd /c "cd /d $dir && VeldrinIns --list --game-dir $(winpath "$game")" \
        2>"$work/err" | tr -d '\r')
    [ "$out" = "$sample_list" ] || fail "cmd.exe: VeldrinIns --list printed $out; stderr: $(cat "$work/err")"
    (cd "$work" && $without_display $emulator cmd /c "cd /d $dir && VeldrinIns --remove ricochet --game-dir $(winpath "$game")" \
        >/dev/null 2>&1)
    status=$?
    [ "$status" -eq 2 ] || fail "cmd.exe: VeldrinIns --remove ricochet gave status $status, not 2"
    # A batch file's own folder, "%~dp0", quoted: the quote after its closing
    # backslash reaches the program, and the folder is the game folder or
    # its package folder.
    for folder in "$game" "$game/Veldrin"; do
        printf '@"%s\\VeldrinIns" --list --game-dir "%%~dp0"\r\n@echo status %%ERRORLEVEL%%\r\n' "$dir" \
            >"$folder/list.bat"
        out=$(cd "$work" && $without_display $emulator cmd /c "$(winpath "$folder/list.bat")" 2>"$work/err" |
            tr -d '\r')
        [ "$out" = "$sample_list
status 0" ] || fail "batch file in $folder: printed $out; stderr: $(cat "$work/err")"
    done
    # Arguments after such a folder are taken into it: a usage error, which
    # says where to put --game-dir.
    printf '@"%s\\VeldrinIns" --game-dir "%%~dp0" --list\r\n@echo status %%ERRORLEVEL%%\r\n' "$dir" >"$game/list.bat"
    out=$(cd "$work" && $without_display $emulator cmd /c "$(winpath "$game/list.bat")" 2>"$work/err" | tr -d '\r')
    err=$(tr -d '\r' <"$work/err")
    [ "$out" = "status 2" ] && grep -qF "give --game-dir last" <<<"$err" ||
        fail "batch file with arguments after its folder: printed $out; stderr: $err"
fi

[ "$failures" -eq 0 ] && echo "PASS: the command line lists, installs, removes and fails as it should"
[ "$failures" -eq 0 ]
