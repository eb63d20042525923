#!/usr/bin/env bash
# The include check on a small tree of its own: a downward include passes, and each kind of
# wrong arrow fails with the file named.
set -uo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/platform/include" "$tree/app" "$tree/tools"
cp "$src/scripts/check-includes" "$tree/scripts/"
for layer in pack base res bitmap anim layer ctrl window init; do mkdir -p "$tree/libWceUi/$layer/inner"; done
touch "$tree/libWceUi/base/WceUiObject.h" "$tree/libWceUi/base/inner/JXCheck.h" \
      "$tree/libWceUi/layer/WceUiLayer.h" "$tree/libWceUi/layer/inner/WceUiLayerPrivate.h" \
      "$tree/libWceUi/window/WceUiRealWnd.h"
echo '#include "WceUiObject.h"' >"$tree/libWceUi/layer/WceUiLayer.cpp"
echo '#include "WceUiLayer.h"' >"$tree/app/Main.cpp"

fail=0
expect() {  # expect pass|fail FILE TEXT: write TEXT into FILE, run the check, then remove FILE
  local want=$1 file=$2 text=$3 out status=0
  echo "$text" >"$tree/$file"
  out=$("$tree/scripts/check-includes" 2>&1) || status=$?
  rm "$tree/$file"
  if [[ $want == pass && $status != 0 ]] || [[ $want == fail && ( $status == 0 || $out != *"$file"* ) ]]; then
    echo "FAILED: $file with '$text' should $want; the check said: $out"
    fail=1
  fi
}
expect pass libWceUi/window/Lower.cpp '#include "WceUiLayer.h"'
expect pass libWceUi/layer/Inner.cpp '#include "JXCheck.h"'
expect fail libWceUi/layer/Higher.cpp '#include "WceUiRealWnd.h"'
expect fail libWceUi/base/inner/Helper.h '#include "WceUiLayer.h"'
expect fail app/Private.cpp '#include "WceUiLayerPrivate.h"'
expect fail app/Helper.cpp '#include "JXCheck.h"'
expect fail tools/Helper.cpp '#include "JXCheck.h"'
expect fail libWceUi/base/Posix.cpp '#include <unistd.h>'
expect fail platform/include/Framework.h '#include "WceUiObject.h"'
[[ $fail == 0 ]] && echo "include check: every arrow judged right"
exit $fail
