#!/usr/bin/env bash
# Each dialog of each screen set renders with skinview without a line logged by the framework
# (layer kinds skinview does not know are drawn as plain layers, with a note: not an error).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: render_dialogs.sh SKINVIEW ARCHIVE" >&2; exit 2; }
skinview=$1
pack=$2
# A cross build's skinview runs through the emulator.
read -ra run_prefix <<<"${WCE_RUN_PREFIX:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for size in 800x480 480x272; do
  for dialog in CBrantelDlg CFileListDlg CMsgBoxDlg; do
    over=()
    [ "$dialog" = CMsgBoxDlg ] && over=(--over CBrantelDlg)
    if ! "${run_prefix[@]}" "$skinview" render --size "$size" "${over[@]}" "$pack" "$dialog" "$work/out.png" 2>"$work/err" ||
       grep -v '^skinview: note:' "$work/err" >"$work/log"; then
      echo "FAIL $size $dialog"
      cat "$work/err"
      failed=$((failed + 1))
    else
      echo "ok   $size $dialog"
    fi
  done
done
[ "$failed" -eq 0 ]
