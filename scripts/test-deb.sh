#!/usr/bin/env bash
# Installs the browser's Debian package on a fresh Debian 12 (a debootstrap
# chroot with nothing but the package and what it depends on), then runs the
# installed programs there as a user would: the browser shows its window on a
# virtual display and stays up, asking its web engine for pages; velmora-check
# judges links.
#
#   scripts/test-deb.sh [--require-url] [PACKAGE.deb]
#   scripts/test-deb.sh --prepare
#
# --prepare only bootstraps the fresh Debian 12 into the cache (CI starts it
# in the background while the browser builds); a test run started meanwhile
# waits for it instead of bootstrapping a second time.
#
# Without PACKAGE.deb it makes one with cpack in the build directory
# ($VELMORA_BUILD_DIR, default build/). The browser is started with a local
# test page as its argument; with --require-url the test fails unless the
# browser loads that page and shows it (its image is fetched). Without it, a
# page not asked for is only reported.
#
# Needs root (debootstrap, chroot, mounts), python3 and Xvfb on the host, and
# Debian's mirror (the one in /etc/apt/sources.list*, or
# $VELMORA_DEBIAN_MIRROR). The bootstrapped system and downloaded packages are
# kept in <build>/deb-test/ so later runs skip most of the work; the last
# run's logs are in <build>/deb-test/last-run/.
set -euo pipefail
root_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root_dir/build}"
cache="$build/deb-test"
require_url=0
prepare_only=0
deb=""
for argument in "$@"; do
  case "$argument" in
    --require-url) require_url=1 ;;
    --prepare) prepare_only=1 ;;
    -h|--help) sed -nE '2,/^set /s/^# ?//p' "$0"; exit 0 ;;
    *) deb="$argument" ;;
  esac
done

started=$SECONDS
step() { printf '[deb-test %3ds] %s\n' $((SECONDS - started)) "$*"; }
fail() { echo "deb-test: FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "needs root for debootstrap, chroot and mounts"
for tool in debootstrap chroot Xvfb xwininfo xprop python3; do
  command -v "$tool" >/dev/null || fail "$tool not found on this machine"
done
mkdir -p "$cache/apt-archives" "$cache/apt-lists"

mirror_in_sources() { # the first configured URI whose path ends in $1
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
    2>/dev/null | sed -nE 's/^(URIs:|deb( \[[^]]*\])?)[[:space:]]+([^[:space:]]+).*/\3/p' |
    grep -E "/$1/?\$" | head -n1 || true
}
mirror="${VELMORA_DEBIAN_MIRROR:-$(mirror_in_sources debian)}"
mirror="${mirror:-http://deb.debian.org/debian}"
security="$(mirror_in_sources debian-security)"
security="${security:-http://deb.debian.org/debian-security}"

base="$cache/bookworm-minbase.tar"
# A freshly bootstrapped system is kept as a plain tar: unpacking it takes
# seconds where debootstrap takes minutes. It is made again after a week so
# that the test keeps meeting a current Debian 12. The lock lets a test run
# wait for a --prepare run in progress.
exec 9>"$cache/bootstrap.lock"
flock 9
if [ ! -f "$base" ] || [ -n "$(find "$base" -mtime +7)" ]; then
  step "bootstrapping Debian 12 from $mirror"
  fresh="$(mktemp -d "$cache/bootstrap.XXXXXX")"
  debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -n 20 "$cache/debootstrap.log"; rm -rf "$fresh"; fail "debootstrap"; }
  tar -C "$fresh" -cpf "$base.new" . && mv "$base.new" "$base"
  rm -rf "$fresh"
fi
flock -u 9
[ "$prepare_only" -eq 1 ] && { step "fresh Debian 12 ready in $base"; exit 0; }

if [ -z "$deb" ]; then
  step "building the package in $build"
  cmake --build "$build" --target velmora-shopping-browser velmora-check velmora_icons >/dev/null
  rm -f "$build"/velmora-shopping-browser_*.deb
  (cd "$build" && cpack -G DEB >"$cache/cpack.log") || { cat "$cache/cpack.log"; fail "cpack"; }
  deb="$(ls "$build"/velmora-shopping-browser_*.deb)"
fi
[ -f "$deb" ] || fail "no package at $deb"
step "package: $deb"

# Everything started or mounted below is undone on every way out. The tree is
# removed only once nothing is mounted inside it any more.
chroot_dir=""
mounts=()
pids=()
cleanup() {
  local pid i
  for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[$i]}" 2>/dev/null || umount -l "${mounts[$i]}" || true
  done
  if [ -n "$chroot_dir" ] && [ -d "$chroot_dir" ]; then
    if grep -q " ${chroot_dir}[/ ]" /proc/mounts; then
      echo "deb-test: still mounted under $chroot_dir, leaving it in place" >&2
    else
      rm -rf "$chroot_dir"
    fi
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mount_in() { # mount_in TARGET MOUNT-ARGS...
  mkdir -p "$1"
  mount "${@:2}" "$1"
  mounts+=("$1")
}

# A freshly bootstrapped system is kept as a plain tar: unpacking it takes
# seconds where debootstrap takes minutes. It is made again after a week so
# that the test keeps meeting a current Debian 12.
# The system under test lives in memory: installing writes several hundred
# megabytes, and removing them from disk again would take longer than the test.
chroot_dir="$(mktemp -d "$cache/root.XXXXXX")"
mount_in "$chroot_dir" -t tmpfs -o size=4g,mode=755 velmora-deb-test
step "unpacking the cached fresh Debian 12"
tar -C "$chroot_dir" -xpf "$base"
cat >"$chroot_dir/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
# Nothing here outlives the test, so dpkg need not wait for each file to reach
# the disk.
echo force-unsafe-io >"$chroot_dir/etc/dpkg/dpkg.cfg.d/velmora-deb-test"
# The package lists are kept on the host's disk, where apt's own user may not write.
echo 'APT::Sandbox::User "root";' >"$chroot_dir/etc/apt/apt.conf.d/99velmora-deb-test"

mount_in "$chroot_dir/proc" -t proc proc
mount_in "$chroot_dir/dev/shm" -t tmpfs -o mode=1777 shm
mount_in "$chroot_dir/var/cache/apt/archives" --bind "$cache/apt-archives"
mount_in "$chroot_dir/var/lib/apt/lists" --bind "$cache/apt-lists"
in_chroot() {
  chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

step "installing the package with apt"
cp "$deb" "$chroot_dir/tmp/velmora.deb"
# Recommends left out: what the package depends on has to be enough.
if ! { in_chroot apt-get update -q &&
  in_chroot apt-get install -y -q --no-install-recommends /tmp/velmora.deb; } >"$cache/apt.log" 2>&1; then
  tail -n 30 "$cache/apt.log"
  fail "apt-get install of the package"
fi
in_chroot dpkg-query -W -f="\${Version}\n" velmora-shopping-browser |
  sed 's/^/[deb-test] installed version /'

step "velmora-check judges links"
output="$(in_chroot velmora-check https://example.com/)" || fail "velmora-check https://example.com/: $output"
grep -q '"verdict":"neutral"' <<<"$output" || fail "velmora-check https://example.com/ said: $output"
status=0
output="$(in_chroot velmora-check https://cheap-brand-outlet.top/)" || status=$?
if [ "$status" -ne 1 ] || ! grep -q '"verdict":"suspicious"' <<<"$output"; then
  fail "velmora-check did not flag a .top shop (exit $status): $output"
fi

step "starting the installed browser on a virtual display"
# The host's Xvfb and web server: the chroot shares the host's network, and
# the display's socket is mounted in. Every address goes through the test's
# proxy, so the browser reaches nothing outside this machine.
work="$cache/last-run"
rm -rf "$work" && mkdir -p "$work"
# Xvfb makes the socket folder itself, but it must be there to be mounted
# first; a machine that never ran an X server has none.
[ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
mount_in "$chroot_dir/tmp/.X11-unix" --bind /tmp/.X11-unix
setsid python3 "$root_dir/scripts/test-deb-helper.py" serve "$work/port" "$work/requests.log" &
pids+=($!)
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
setsid Xvfb ":$display" -screen 0 1440x900x24 -nolisten tcp -fbdir "$work" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$work/port" ] && [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -s "$work/port" ] || fail "the test's web server did not start"
port="$(cat "$work/port")"
url="http://example.com/velmora-deb-test.html"

setsid chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 \
  DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
  QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --proxy-server=http://127.0.0.1:$port" \
  velmora-shopping-browser "$url" >"$work/browser.log" 2>&1 &
browser=$!
pids+=("$browser")

window=""
for _ in $(seq 120); do
  kill -0 "$browser" 2>/dev/null || { cat "$work/browser.log"; fail "the browser exited at start"; }
  window="$(DISPLAY=":$display" xwininfo -root -children 2>/dev/null |
    sed -nE 's/^ +(0x[0-9a-f]+) "[^"]+": \("velmora-shopping-browser" .*/\1/p' | head -n1)"
  if [ -n "$window" ] && DISPLAY=":$display" xwininfo -id "$window" | grep -q 'Map State: IsViewable'; then
    break
  fi
  window=""
  sleep 0.5
done
[ -n "$window" ] || { cat "$work/browser.log"; fail "no browser window was shown within a minute"; }
DISPLAY=":$display" xwininfo -id "$window" |
  sed -nE 's/^xwininfo: Window id: [^ ]+ (.*)/[deb-test] window \1/p; s/^ +(Width|Height): (.*)/[deb-test]   \1 \2/p'

# Docks match a window to its launcher by the window's class.
wm_class="$(DISPLAY=":$display" xprop -id "$window" WM_CLASS | sed -nE 's/.*, "([^"]*)"$/\1/p')"
desktop_file="$chroot_dir/usr/share/applications/jp.velmora.ShoppingBrowser.desktop"
grep -qx "StartupWMClass=$wm_class" "$desktop_file" ||
  fail "the window's class \"$wm_class\" is not the launcher's StartupWMClass"

# Up for a while, with the web engine asking for pages.
for _ in $(seq 10); do
  sleep 1
  kill -0 "$browser" 2>/dev/null || { cat "$work/browser.log"; fail "the browser quit after showing its window"; }
  grep -q "velmora-deb-test-shown.png" "$work/requests.log" && break
done
sleep 2
kill -0 "$browser" 2>/dev/null || { cat "$work/browser.log"; fail "the browser quit after showing its window"; }
[ -s "$work/requests.log" ] || { cat "$work/browser.log"; fail "the web engine asked for no page at all"; }
sed 's/^/[deb-test] browser asked for: /' "$work/requests.log" | sort -u

python3 "$root_dir/scripts/test-deb-helper.py" xwd2png "$work/Xvfb_screen0" "$cache/installed-window.png" &&
  step "screenshot: $cache/installed-window.png"

if grep -q "velmora-deb-test-shown.png" "$work/requests.log"; then
  step "the URL given on the command line was opened and shown"
elif [ "$require_url" -eq 1 ]; then
  fail "the URL given on the command line was not shown ($url)"
else
  step "note: the URL argument was not opened (pass --require-url once the browser takes URLs)"
fi

step "passed (logs in $work)"
