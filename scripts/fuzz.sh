#!/usr/bin/env bash
# Builds every fuzz target and runs each for the given seconds (default 60),
# several at a time. New inputs collect in build-fuzz/fuzz-corpus/<target>,
# so later runs go on from them; the seeds in fuzz/corpus stay as they are.
# A crash leaves its input in build-fuzz/fuzz-crashes/ and fails the run:
# mend the code, then copy the input into fuzz/corpus/<target>/ to keep it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
jobs=${FUZZ_JOBS:-$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))}
"$here/scripts/setup.sh"
"$here/scripts/fuzz-build.sh"

build="$here/build-fuzz"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$build/fuzz-crashes"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"

run_one() {
  local name=$1 log
  mkdir -p "$build/fuzz-corpus/$name"
  log="$build/fuzz-crashes/$name.log"
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -artifact_prefix="$build/fuzz-crashes/$name-" \
      "$build/fuzz-corpus/$name" "$here/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz_$name: $(grep -E '^#[0-9]+' "$log" | tail -1)"
    rm -f "$log"
  else
    echo "fuzz_$name: FAILED, see $log"
    return 1
  fi
}
export -f run_one
export build here seconds

targets=$(cd "$here/fuzz" && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
echo "Running $(echo "$targets" | wc -w) targets for ${seconds}s each, $jobs at a time"
echo "$targets" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
