#!/usr/bin/env bash
# Validates an AppStream metainfo file offline; errors and warnings fail the
# test. Exit 77 (skipped) without appstreamcli.
set -u
command -v appstreamcli >/dev/null || { echo "appstreamcli is not installed"; exit 77; }
exec appstreamcli validate --no-net "$1"
