#!/usr/bin/env bash
# Builds the fuzz targets with clang, together with the core tests under the
# same sanitizers, and runs each target for a while (60 s by default,
# FUZZ_SECONDS to change), two at a time. A crash, a leak or a
# sanitizer report fails the run; the input that caused it is kept under
# build-fuzz/findings/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

CXX=clang++ CC=clang cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_CORE_ONLY=ON -DVELMORA_FUZZ=ON -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { tail -40 "$build/build.log"; exit 1; }

mkdir -p "$build/findings"
run() {
  local name="$1" corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  cp -n "$root/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -artifact_prefix="$build/findings/$name-" "$corpus" >"$build/fuzz-$name.log" 2>&1 \
    && echo "fuzz_$name: $(grep -o 'Done [0-9]* runs' "$build/fuzz-$name.log")" \
    || { echo "fuzz_$name FAILED:"; tail -40 "$build/fuzz-$name.log"; return 1; }
}
export -f run
export build root seconds
targets=$(cd "$root/fuzz" && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
printf '%s\n' $targets | xargs -P 2 -I{} bash -c 'run {}'
