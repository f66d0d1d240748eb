#!/usr/bin/env bash
# The real program, answered "No" at its start-up question, ends with status 0
# and its main window never shows. Needs a display and xdotool. A Windows
# program runs under the given emulator (Wine), in the caller's Wine prefix.
#   no_answer_test.sh PROGRAM [EMULATOR]
set -euo pipefail
program=$1 emulator=${2:-}

work=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work
[ -n "$emulator" ] || export WINEPREFIX=$work/wine
cd "$work"

visible() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1 || true; }

$emulator "$program" &
pid=$!
question=
for _ in $(seq 150); do
    question=$(visible "Are you sure")
    [ -n "$question" ] && break
    kill -0 $pid 2>/dev/null || { echo "FAIL: the program ended before asking"; exit 1; }
    sleep 0.1
done
[ -n "$question" ] || { echo "FAIL: no start-up question"; exit 1; }
[ -z "$(visible "Veldrin Tarnwise Program")" ] || { echo "FAIL: the main window shows before the answer"; exit 1; }

# Alt+N presses "No".
xdotool windowfocus --sync "$question" key alt+n
set +e
for _ in $(seq 100); do
    kill -0 $pid 2>/dev/null || break
    [ -z "$(visible "Veldrin Tarnwise Program")" ] || { echo "FAIL: the main window showed after No"; exit 1; }
    sleep 0.1
done
wait $pid
status=$?
set -e
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; exit 1; }
echo "PASS: answered No, the program ended with status 0 and showed no main window"
