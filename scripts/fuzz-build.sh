#!/usr/bin/env bash
# Configures and builds the fuzz targets with clang into build-fuzz/: only
# the libraries they need, with the fuzzer's coverage hooks and ASan+UBSan.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-fuzz"
CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORLACAM_FUZZ=ON -DORLACAM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target orlacam_fuzzers --parallel "${ORLACAM_BUILD_JOBS:-$(nproc)}"
