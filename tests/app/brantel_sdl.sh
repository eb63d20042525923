#!/usr/bin/env bash
# The updater in a real SDL window (under xvfb-run): it starts on a device with its skin,
# shows the main dialog and leaves at its first frame. Arguments after the skin go to brantel
# (--screen with the skin's depth).
set -euo pipefail
brantel=$1 pack=$2
shift 2
device=$(mktemp -d)
trap 'rm -rf "$device"' EXIT
mkdir -p "$device/SDMMC/update"
cp "$pack" "$device/SDMMC/brantel.pack"
echo x > "$device/SDMMC/update/a.msk"
"$brantel" --device-root "$device" --display sdl --exit-after-first-frame "$@"
