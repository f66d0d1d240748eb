#!/usr/bin/env bash
# translations_test.sh template SOURCE_DIR: po/veldrinins.pot is what
# po/extract-template makes of the sources now (its date aside); shows the
# difference when not.
# translations_test.sh catalogues SOURCE_DIR: every catalogue po/LINGUAS
# names exists, passes msgfmt --check (placeholders that disagree with the
# English among its faults), and has no untranslated or fuzzy message, nor
# one the template no longer has, and can be made into the compact form
# the Windows programs carry.
# Exits 77 (skipped) without gettext's tools.
set -euo pipefail
mode=$1 src=$2
for tool in xgettext msgfmt msgattrib msgcmp; do command -v $tool >/dev/null || exit 77; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $mode in
template)
    command -v wxrc >/dev/null || exit 77
    cp "$src/po/veldrinins.pot" "$work/committed.pot"
    "$src/po/extract-template" "$src" "$work/current.pot" wxrc
    if ! diff -u -I '^"POT-Creation-Date:' "$work/committed.pot" "$work/current.pot"; then
        echo "po/veldrinins.pot is out of date: build the target veldrin_pot and commit the template" >&2
        exit 1
    fi
    echo "the template holds the sources' $(grep -c '^msgid ' "$work/current.pot") messages (with its header)"
    ;;
catalogues)
    failed=0
    while read -r lang _; do
        [ -z "$lang" ] || [ "${lang:0:1}" = "#" ] && continue
        po=$src/po/$lang.po
        if ! [ -f "$po" ]; then
            echo "po/LINGUAS names $lang, but po/$lang.po is missing" >&2
            failed=1
            continue
        fi
        if ! stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$po" 2>&1); then
            echo "po/$lang.po: msgfmt --check fails:" >&2
            echo "$stats" >&2
            failed=1
            continue
        fi
        echo "$lang: $stats"
        if [ -n "$(msgattrib --untranslated --no-obsolete "$po" | grep '^msgid ' | grep -v '^msgid ""$' || true)" ] ||
           [ -n "$(msgattrib --only-fuzzy --no-obsolete "$po" | grep '^msgid ' | grep -v '^msgid ""$' || true)" ]; then
            echo "po/$lang.po has untranslated or fuzzy messages:" >&2
            msgattrib --untranslated --no-obsolete "$po" >&2 || true
            msgattrib --only-fuzzy --no-obsolete "$po" >&2 || true
            failed=1
        fi
        # Every message of the template, and none besides.
        if ! msgcmp --use-untranslated "$po" "$src/po/veldrinins.pot" 2>"$work/cmp"; then
            echo "po/$lang.po lacks messages of the template:" >&2
            cat "$work/cmp" >&2
            failed=1
        fi
        if [ -n "$(msgattrib --only-obsolete "$po" | grep '^#~ msgid ' || true)" ] ||
           ! msgcmp --use-untranslated "$src/po/veldrinins.pot" "$po" 2>"$work/cmp"; then
            echo "po/$lang.po holds messages the template no longer has (msgmerge it):" >&2
            cat "$work/cmp" >&2
            failed=1
        fi
        # The Windows programs carry the catalogue in its compact form, which
        # cannot be made when two of its ids share a key.
        if command -v python3 >/dev/null; then
            msgfmt -o "$work/$lang.mo" "$po"
            "$src/po/compact-catalogue" "$work/$lang.mo" "$work/$lang.cat" || failed=1
        fi
    done <"$src/po/LINGUAS"
    exit $failed
    ;;
*)
    echo "usage: translations_test.sh template|catalogues SOURCE_DIR" >&2
    exit 2
    ;;
esac
