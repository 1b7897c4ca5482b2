#!/usr/bin/env bash
# Installs what is missing, builds the OrlaCam program (not the tests and
# benchmarks) into build/ and starts it.
# Arguments are passed to the program (for example --log_std).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLACAM_BUILD_TESTS=OFF
cmake --build "$here/build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target OrlaCam
exec "$here/build/bin/OrlaCam" "$@"
