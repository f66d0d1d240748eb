#!/usr/bin/env bash
# The real program's start, as the player meets it. Needs a display, xdotool
# and openbox; a Windows program runs under the given emulator (Wine), in the
# caller's Wine prefix.
#   start_test.sh CASE PROGRAM [EMULATOR]
# CASE:
#   answer-no   answered "No" at its start-up question, the program ends with
#               status 0 and its main window never shows; the next start asks
#               again.
#   second      a second start while one is open tells the player so, brings
#               the first one's window to the front and ends with status 0.
#   no-display  without a display the program says why on standard error and
#               ends with a status other than 0.
set -euo pipefail
what=$1 program=$2 emulator=${3:-}

# The cases with windows run in a private X server of their own, where
# nothing another test left or holds on the shared display can come between:
# neither a window manager kept out nor a connection refused (a Windows
# program stays on the display its Wine prefix was started on). The server
# is never reset: one that resets when the program of the first start leaves
# may turn the second start away as if there were no display.
if [ "$what" != no-display ] && [ -z "$emulator" ] && [ -z "${VELDRIN_START_TEST_INNER:-}" ] && command -v xvfb-run >/dev/null; then
    VELDRIN_START_TEST_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ -n "$emulator" ] && [ "$what" = no-display ]; then wineserver -k 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
# The lock that keeps a second installer out lives in the home folder.
export HOME=$work
# Under Wine, a program started without a display gets a Wine prefix of its
# own: in the caller's, it could start the desktop process of Wine without a
# display, and every later window of the caller's tests would fail to be made.
if [ -z "$emulator" ] || [ "$what" = no-display ]; then export WINEPREFIX=$work/wine; fi
# Started from inside a package folder, the program finds its game folder
# and has nothing to tell before its window shows.
mkdir -p "$work/Half-Life/Veldrin" "$work/Half-Life/cstrike/dlls"
printf 'Counter-Strike\r\ncstrike\r\nmp\r\n' > "$work/Half-Life/Veldrin/veldrinins.ini"
printf 'gamedll "dlls\\mp.dll"\r\n' > "$work/Half-Life/cstrike/liblist.gam"
cd "$work/Half-Life/Veldrin"

fail() { echo "FAIL: $*"; exit 1; }

visible() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1 || true; }

# The window whose title starts with $1, once shown; the program $2 must not
# end meanwhile.
wait_for() {
    local id
    for _ in $(seq 150); do
        id=$(visible "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$2" 2>/dev/null || { echo "FAIL: the program ended before \"$1\" showed" >&2; return 1; }
        sleep 0.1
    done
    echo "FAIL: no window \"$1\"" >&2
    return 1
}

# Waits for the program $1 to end, at most 10 s, and sets $status to its exit
# status; while it runs, no window titled $2 may show.
wait_end() {
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || break
        [ -z "${2:-}" ] || [ -z "$(visible "$2")" ] || fail "\"$2\" showed"
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "the program did not end"
    status=0
    wait "$1" || status=$?
}

start() {
    $emulator "$program" &
    started=$!
    pids+=("$started")
}

case $what in
answer-no)
    for run in first again; do
        start
        question=$(wait_for "Are you sure" "$started")
        [ -z "$(visible "Veldrin Tarnwise Program")" ] || fail "the main window shows before the answer"
        xdotool windowfocus --sync "$question" key alt+n   # Alt+N presses "No"
        wait_end "$started" "Veldrin Tarnwise Program"
        [ "$status" -eq 0 ] || fail "exit status $status ($run start)"
    done
    echo "PASS: answered No, the program ended with status 0 and showed no main window, twice"
    ;;
second)
    # On Linux as a service account whose HOME does not exist: the lock
    # lives in the user's runtime folder instead, and no toolkit box tells
    # of a lock file.
    if [ -z "$emulator" ]; then
        export HOME=$work/no-such-home XDG_RUNTIME_DIR=$work/runtime
        mkdir -m 700 "$XDG_RUNTIME_DIR"
    fi
    # A window manager, so that "in front" means the active window.
    openbox --config-file /dev/null >"$work/openbox.log" 2>&1 &
    pids+=("$!")
    for _ in $(seq 300); do
        xdotool getactivewindow >/dev/null 2>&1 && break   # fails until it runs
        sleep 0.1
    done
    xdotool getactivewindow >/dev/null 2>&1 || fail "no window manager: $(cat "$work/openbox.log")"
    start
    first=$started
    question=$(wait_for "Are you sure" "$first")
    sleep 1   # the toolkit shows its logged errors once the question waits
    [ -z "$(visible '.*Error')" ] || fail "the toolkit's error box showed"
    xdotool windowactivate --sync "$question" key Return   # "Yes"
    main=$(wait_for "Veldrin Tarnwise Program" "$first")
    xdotool windowminimize --sync "$main"

    start
    second=$started
    box=$(wait_for 'VeldrinIns$' "$second")
    [ -z "$(visible "Are you sure")" ] || fail "the second start asked the start-up question"
    xdotool windowactivate --sync "$box" key Return        # OK
    wait_end "$second" "Are you sure"
    [ "$status" -eq 0 ] || fail "the second start ended with status $status"

    for _ in $(seq 50); do
        [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$main" ] && break
        sleep 0.1
    done
    [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$main" ] || fail "the first window did not come to the front"
    kill -0 "$first" 2>/dev/null || fail "the first installer ended"

    xdotool windowactivate --sync "$main" key Return       # Exit
    wait_end "$first"
    [ "$status" -eq 0 ] || fail "the first installer ended with status $status"
    echo "PASS: the second start told the player, raised the first window and ended with status 0"
    ;;
no-display)
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 40 $emulator "$program" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "exit status $status"
    grep -q "^VeldrinIns cannot start: " "$work/err" || fail "nothing said on standard error: $(cat "$work/err")"
    grep -q -- "--help" "$work/err" || fail "no word of the command line: $(cat "$work/err")"
    echo "PASS: without a display: status $status and \"$(grep '^VeldrinIns' "$work/err")\""
    ;;
*)
    echo "usage: start_test.sh answer-no|second|no-display PROGRAM [EMULATOR]" >&2
    exit 2
    ;;
esac
