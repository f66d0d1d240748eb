#!/usr/bin/env bash
# Validates a .desktop file with desktop-file-validate. Any message, warning
# or hint alike, fails the test; exit 77 (skipped) without the tool.
set -u
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed"; exit 77; }
out=$(desktop-file-validate "$1" 2>&1)
status=$?
[ -n "$out" ] && printf '%s\n' "$out"
[ "$status" -eq 0 ] && [ -z "$out" ]
