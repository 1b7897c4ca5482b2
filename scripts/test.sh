#!/usr/bin/env bash
# Installs what is missing and runs every test twice through CTest, under an
# Xvfb display of its own: built with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/, then optimised (Release) into
# build-release/, both with warnings as errors. Then builds the fuzz targets
# with clang into build-fuzz/ and runs each over its seeds and for a few
# seconds more. Each next tree builds while the tests of the one before run
# (the tests mostly wait), at a lower priority so the tests keep the cores.
#
# ORLACAM_TEST_LOAD=N keeps every core busy with N other programs while the
# tests run, as on a loaded machine; the tests must pass then too.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
load=${ORLACAM_TEST_LOAD:-0}
if [[ ! "$load" =~ ^[0-9]+$ ]]; then
  echo "ORLACAM_TEST_LOAD must be a number of busy programs per core, not '$load'" >&2
  exit 2
fi
"$here/scripts/setup.sh"
jobs=$(nproc)
export ORLACAM_BUILD_JOBS=$jobs
# Repeated runs and other clones reuse what a compiler cache holds.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# Everything started here in the background ends with the script. A build
# runs in a process group of its own, so that its compilers end with it.
xvfb_pid=""
build_pid=""
load_pids=()
cleanup() {
  [[ -z "$build_pid" ]] || kill -- "-$build_pid" 2>/dev/null || true
  stop_load
  [[ -z "$xvfb_pid" ]] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

asan="$here/build-test"
release="$here/build-release"
configure() {
  local dir=$1
  shift
  cmake -S "$here" -B "$dir" -G Ninja -DORLACAM_WERROR=ON "$@"
}

# A build in the background at low priority; its output goes to a log that
# finish_build shows when the build fails.
start_build() {
  local log=$1
  shift
  setsid -w nice -n 10 "$@" >"$log" 2>&1 &
  build_pid=$!
}
finish_build() {
  local log=$1 rc=0
  wait "$build_pid" || rc=$?
  build_pid=""
  if ((rc != 0)); then
    grep -Ev '^\[[0-9]+/[0-9]+\] ' "$log" >&2 || true
    echo "Build failed, see $log" >&2
    exit 1
  fi
}

# Busy programs, one per core times the load, for as long as a suite runs.
start_load() {
  local i
  for ((i = 0; i < load * jobs; i++)); do
    bash -c 'while :; do :; done' &
    load_pids+=("$!")
  done
  ((load == 0)) || echo "Load: $((load * jobs)) busy programs on $jobs cores"
}
stop_load() {
  ((${#load_pids[@]})) || return 0
  kill "${load_pids[@]}" 2>/dev/null || true
  wait "${load_pids[@]}" 2>/dev/null || true
  load_pids=()
}

suite() {
  local dir=$1
  shift
  echo "=== Tests in ${dir#"$here"/}"
  start_load
  local rc=0
  (cd "$dir" && ctest --output-on-failure --parallel "$jobs" --timeout 300 "$@") || rc=$?
  stop_load
  return "$rc"
}

configure "$asan" -DCMAKE_BUILD_TYPE=Debug -DORLACAM_SANITIZE=ON
cmake --build "$asan" --parallel "$jobs"

# An X server for what needs X11 (system-wide hotkeys); widgets use offscreen.
display=""
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
export DISPLAY="$display"

configure "$release" -DCMAKE_BUILD_TYPE=Release
start_build "$release/build.log" cmake --build "$release" --parallel "$jobs"
failed=()
suite "$asan" || failed+=("ASan+UBSan")
finish_build "$release/build.log"

mkdir -p "$here/build-fuzz"
start_build "$here/build-fuzz/build.log" "$here/scripts/fuzz-build.sh"
suite "$release" || failed+=("Release")
finish_build "$here/build-fuzz/build.log"

echo "=== Fuzz targets over their seeds"
(cd "$here/build-fuzz" && ctest --output-on-failure --parallel "$jobs" --timeout 300 -L fuzz) || failed+=("fuzz")

if ((${#failed[@]})); then
  echo "Failed: ${failed[*]}" >&2
  exit 1
fi
echo "All passes succeeded"
