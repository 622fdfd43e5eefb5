#!/usr/bin/env bash
# Cold start to the window shown, and memory once the start-up page is in,
# for this browser and for Falkon (another Qt WebEngine browser), in one run
# under one Xvfb display. Falkon is only a yardstick: install it by hand
# (apt-get install falkon x11-utils); it is not part of the setup.
#
#   bench/startup_vs_falkon.sh            # 5 runs each
#   RUNS=10 SETTLE=8 bench/startup_vs_falkon.sh
#
# This browser has no command line: it always opens its start-up search.
# Falkon is measured twice, on a small local page (python3 http.server on
# 127.0.0.1) and on the very address of that start-up search, so that both
# browsers can be compared on the same page. Without a network the search
# address ends on the engine's error page in both.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"
velmora="$build/src/app/velmora-shopping-browser"
runs="${RUNS:-5}"
settle="${SETTLE:-6}"
for tool in falkon xwininfo Xvfb python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$velmora" ] || { echo "build the browser first: $velmora" >&2; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

mkdir -p "$work/site"
cat > "$work/site/index.html" <<'HTML'
<!DOCTYPE html><html><head><meta charset="utf-8"><title>MacBook - bench</title></head>
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

export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
local_page="http://127.0.0.1:$port/index.html"
startup_search="$(XDG_CONFIG_HOME="$work/empty-config" "$build/src/cli/velmora-check" --search MacBook 2>/dev/null || true)"
[ -n "$startup_search" ] || startup_search="https://www.google.co.jp/search?q=MacBook"

now() { date +%s.%N; }

# The first viewable top-level window whose name contains the text.
window_shown() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"" | grep -F "$1" | awk '{print $1}' |
    while read -r id; do
      if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then echo yes; break; fi
    done
}

descendants() {
  echo "$1"
  for child in $(pgrep -P "$1" || true); do descendants "$child"; done
}

# Proportional set size of the process and all its helpers (renderers, GPU
# and network processes), in MiB.
tree_pss() {
  local total=0 kb
  for p in $(descendants "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${kb:-0}))
  done
  echo $((total / 1024))
}

# measure NAME WINDOW-TEXT COMMAND...: prints "seconds-to-window pss-MiB maxrss-MiB"
measure() {
  local name="$1" text="$2"; shift 2
  local home="$work/home-$name-$RANDOM"
  mkdir -p "$home"
  local start shown deadline pid timer
  start=$(now)
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_CACHE_HOME="$home/cache" /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>&1 &
  timer=$!
  deadline=$(( $(date +%s) + 60 ))
  until [ -n "$(window_shown "$text")" ]; do
    [ "$(date +%s)" -gt "$deadline" ] && { echo "no window for $name" >&2; break; }
    sleep 0.01
  done
  shown=$(now)
  sleep "$settle"
  pid=$(pgrep -P "$timer" | head -n1)
  local pss
  pss=$(tree_pss "$pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$timer" 2>/dev/null || true
  local maxrss
  maxrss=$(awk -F: '/Maximum resident/ {print int($2 / 1024)}' "$work/time.txt")
  echo "$(echo "$shown - $start" | bc -l) $pss $maxrss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column_min() { sort -n | head -n1; }
column_max() { sort -n | tail -n1; }

summary() {
  local file="$2"
  printf "%-32s window shown: median %.2f s (min %.2f, max %.2f)   PSS of all processes: median %d MiB   max RSS of the main process: median %d MiB\n" \
    "$1" "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f1 "$file" | column_min)" \
    "$(cut -d' ' -f1 "$file" | column_max)" "$(cut -d' ' -f2 "$file" | median)" \
    "$(cut -d' ' -f3 "$file" | median)"
}

echo "runs: $runs, page settle time: ${settle}s, display $DISPLAY"
echo "start-up search: $startup_search"
: > "$work/velmora" ; : > "$work/falkon-local" ; : > "$work/falkon-search"
for i in $(seq "$runs"); do
  measure velmora "Velmora Shopping Browser" "$velmora" >> "$work/velmora"
  measure falkon-local "Falkon" falkon --no-remote --private-browsing "$local_page" >> "$work/falkon-local"
  measure falkon-search "Falkon" falkon --no-remote --private-browsing "$startup_search" >> "$work/falkon-search"
done
summary "Velmora (start-up search)" "$work/velmora"
summary "Falkon (local page)" "$work/falkon-local"
summary "Falkon (same start-up search)" "$work/falkon-search"
