#!/usr/bin/env bash
# Installs what is missing, builds OrlaCam into build/ and starts it.
# Arguments are passed to the program (for example --log_std).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$here/build" --parallel
exec "$here/build/bin/OrlaCam" "$@"
