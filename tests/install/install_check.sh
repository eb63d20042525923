#!/usr/bin/env bash
# The install rules and the Debian package, checked from the outside: the programs and both
# skin archives land under a prefix, the installed updater starts on the installed skin, and
# the package CPack makes unpacks (dpkg -x) into a root where brantel --help runs.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: install_check.sh BUILD_DIR" >&2; exit 2; }
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
programs=(brantel brantel-update msktool packtool skincheck skintext png2skin skinview)
files=("${programs[@]/#/bin/}" share/brantel/skin/brantel.pack share/brantel/skin-32/brantel.pack)

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in "${files[@]}"; do
  [ -f "$work/prefix/$f" ] || { echo "FAIL install: no $f"; exit 1; }
done
"$work/prefix/bin/brantel" --help | grep -q '^usage: brantel' || { echo "FAIL install: brantel --help"; exit 1; }

# The installed program on the installed skin, at both depths: its first frame, headless.
for depth in 16 32; do
  skin=skin; [ "$depth" = 32 ] && skin=skin-32
  mkdir -p "$work/unit$depth/SDMMC" "$work/unit$depth/Residentflash2"
  cp "$work/prefix/share/brantel/$skin/brantel.pack" "$work/unit$depth/SDMMC/"
  if ! "$work/prefix/bin/brantel" --device-root "$work/unit$depth" --display headless \
       --screen "800x480x$depth" --exit-after-first-frame >"$work/out" 2>&1; then
    echo "FAIL install: the installed brantel on the installed $depth-bit skin"; cat "$work/out"; exit 1
  fi
done

if ! command -v cpack >/dev/null || ! command -v dpkg >/dev/null; then
  echo "no cpack or dpkg here: the package is not checked"; exit 77
fi
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { echo "FAIL package: cpack"; cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/package/brantel_*.deb)
dpkg -x "$deb" "$work/root"
for f in "${files[@]}"; do
  [ -f "$work/root/usr/$f" ] || { echo "FAIL package: no /usr/$f"; exit 1; }
done
"$work/root/usr/bin/brantel" --help >/dev/null || { echo "FAIL package: brantel --help"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'fonts-dejavu-core' || { echo "FAIL package: Depends"; exit 1; }
echo "ok $(basename "$deb")"
