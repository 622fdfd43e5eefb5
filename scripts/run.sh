#!/usr/bin/env bash
# Sets up the machine (packages), builds the browser and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target velmora-shopping-browser

# The engine's sandbox refuses to run as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. To run the browser without one, start it under Xvfb:"
  echo "  xvfb-run -a -s '-screen 0 1440x900x24' $0"
  exit 0
fi
exec "$build/src/app/velmora-shopping-browser" "$@"
