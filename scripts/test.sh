#!/usr/bin/env bash
# Sets up the machine (packages), builds everything and runs every test but
# the screenshot check, which runs when a label is asked for.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
# VELMORA_SCREENSHOT_DIR=docs/screenshots scripts/test.sh -L screenshots redraws
# the pictures; without the folder the screenshot cases are skipped.
skip=(-LE screenshots)
for arg in "$@"; do
  case "$arg" in
    -LE* | --label-exclude*) ;;
    -L* | --label-regex*) skip=() ;;
  esac
done
ctest --test-dir "$build" --output-on-failure "${skip[@]}" "$@"
