#!/usr/bin/env bash
# Cold start of the browser against the floor: a minimal Qt WebEngine program
# (bench/startup_floor.cpp) that makes its view, and so starts the engine,
# before it shows its window. Both run in one run under one Xvfb display,
# alternately, each given the same small local page as URL argument:
#   - window: the X server maps the window (its MapNotify event, taken as it
#     arrives: polling with xwininfo every few milliseconds starts processes
#     that compete with the program for the two cores, and saw the windows
#     20-45 ms late, by an amount that varied from run to run);
#   - page:   the window is named after the loaded page;
#   - PSS:    of the program and all its engine helpers, once the page is in.
# Falkon (another Qt WebEngine browser) is measured too when installed by
# hand (apt-get install falkon); it is only a second yardstick.
#
#   bench/startup_vs_floor.sh            # 7 runs each
#   RUNS=11 SETTLE=4 bench/startup_vs_floor.sh
#
# Needs Xvfb, x11-utils (xwininfo, xev, xprop), python3 and bc.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"
velmora="$build/src/app/velmora-shopping-browser"
floor="$build/bench/startup_floor"
runs="${RUNS:-7}"
settle="${SETTLE:-3}"
for tool in xwininfo xev xprop Xvfb python3 bc; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -f "$build/build.ninja" ] || { echo "configure the build first: $build" >&2; exit 1; }
cmake --build "$build" --target velmora-shopping-browser startup_floor >/dev/null

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do pkill -P "$p" 2>/dev/null || true; kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site"
title="MacBook - bench"
cat > "$work/site/index.html" <<HTML
<!DOCTYPE html><html><head><meta charset="utf-8"><title>$title</title></head>
<body><h1>MacBook Air M3</h1><p>¥164,800 Amazon.co.jp 公認正規店</p></body></html>
HTML
port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
pids+=($!)
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1440x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
sleep 1

# Logs "<epoch seconds> <window id> <name>" for each top-level window mapped.
python3 - "$work/maps" <<'PY' &
import re, subprocess, sys, time
xev = subprocess.Popen(['stdbuf', '-oL', 'xev', '-root', '-event', 'substructure'],
                       stdout=subprocess.PIPE, text=True)
log = open(sys.argv[1], 'a', buffering=1)
for line in xev.stdout:
    if not line.startswith('MapNotify event'):
        continue
    mapped = time.time()
    window = re.search(r'window (0x[0-9a-f]+)', xev.stdout.readline())
    if window:
        name = subprocess.run(['xprop', '-id', window.group(1), 'WM_NAME'],
                              capture_output=True, text=True).stdout.strip()
        log.write(f'{mapped:.6f} {window.group(1)} {name}\n')
PY
# Stopped before the display it watches.
pids=($! "${pids[@]}")
sleep 0.5

export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
page="http://127.0.0.1:$port/index.html"

now() { date +%s.%N; }

# Whether a viewable top-level window's name contains the text.
window_shown() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"" | grep -F -- "$1" | awk '{print $1}' |
    while read -r id; do
      if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then echo yes; break; fi
    done
}

wait_for_window() {
  local deadline=$(( $(date +%s) + 60 ))
  until [ -n "$(window_shown "$1")" ]; do
    [ "$(date +%s)" -gt "$deadline" ] && { echo "no window named $1" >&2; return 1; }
    sleep 0.005
  done
}

descendants() {
  echo "$1"
  for child in $(pgrep -P "$1" || true); do descendants "$child"; done
}

# Proportional set size of the process and all its helpers, in MiB.
tree_pss() {
  local total=0 kb
  for p in $(descendants "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${kb:-0}))
  done
  echo $((total / 1024))
}

# measure WINDOW-TEXT COMMAND...: prints "seconds-to-window seconds-to-page pss-MiB"
measure() {
  local text="$1"; shift
  local home="$work/home-$RANDOM$RANDOM"
  mkdir -p "$home/run"
  chmod 700 "$home/run"
  local start shown loaded pid
  start=$(now)
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" "$@" >/dev/null 2>&1 &
  pid=$!
  wait_for_window "$text" || true
  # The map as the server reported it, if the log has it.
  shown=$(awk -v s="$start" -v t="$text" 'index($0, t) && $1 > s { print $1; exit }' \
    "$work/maps" 2>/dev/null)
  [ -n "$shown" ] || shown=$(now)
  wait_for_window "$title" || true
  loaded=$(now)
  sleep "$settle"
  local pss
  pss=$(tree_pss "$pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$(echo "$shown - $start" | bc -l) $(echo "$loaded - $start" | bc -l) $pss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column() { cut -d' ' -f"$2" "$1" | median; }

echo "runs: $runs, settle: ${settle}s, display $DISPLAY, page $page"
names=(floor velmora)
commands=("$floor $page" "$velmora $page")
texts=("startup floor" "Velmora Shopping Browser")
if command -v falkon >/dev/null; then
  names+=(falkon); commands+=("falkon --no-remote --private-browsing $page"); texts+=("Falkon")
fi
for name in "${names[@]}"; do : > "$work/$name"; done
for i in $(seq "$runs"); do
  for n in "${!names[@]}"; do
    # shellcheck disable=SC2086
    measure "${texts[$n]}" ${commands[$n]} >> "$work/${names[$n]}"
  done
done

floor_window=$(column "$work/floor" 1)
floor_page=$(column "$work/floor" 2)
floor_pss=$(column "$work/floor" 3)
printf "%-10s %12s %12s %10s   (medians; ratio to the floor)\n" "" "window (s)" "page (s)" "PSS (MiB)"
for name in "${names[@]}"; do
  w=$(column "$work/$name" 1); p=$(column "$work/$name" 2); m=$(column "$work/$name" 3)
  printf "%-10s %6.3f %5.2fx %6.3f %5.2fx %5d %5.2fx\n" "$name" \
    "$w" "$(echo "$w / $floor_window" | bc -l)" "$p" "$(echo "$p / $floor_page" | bc -l)" \
    "$m" "$(echo "$m / $floor_pss" | bc -l)"
done
