#!/usr/bin/env bash
# Installs what is missing, builds everything once with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/, and runs every test through CTest
# under an Xvfb display of its own. Then builds the fuzz targets with clang
# into build-fuzz/ and runs each over its seeds and for a few seconds more.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build="$here/build-test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORLACAM_SANITIZE=ON -DORLACAM_WERROR=ON
cmake --build "$build" --parallel

# An X server for what needs X11 (system-wide hotkeys); widgets use offscreen.
display=""
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
export DISPLAY="$display"

cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300

"$here/scripts/fuzz-build.sh"
cd "$here/build-fuzz"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300 -L fuzz
