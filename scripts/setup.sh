#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then fetches the
# one font Debian does not package. Safe to run again: only missing packages
# are installed.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev
  libhttp-parser-dev libbz2-dev liblzma-dev libdivsufsort-dev
  libudev-dev libx11-dev libxcb1-dev libx11-xcb-dev libxcb-keysyms1-dev libxcb-xkb-dev xdotool
  xvfb xauth openbox fonts-noto-cjk xz-utils bsdiff
  nginx curl
  nodejs npm ca-certificates
)

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi

# How long to wait while another program (an install, unattended upgrades)
# holds the package manager's locks, rather than failing at once.
lock_wait=300

# apt-get that waits for the package manager's locks. It waits for the dpkg
# locks itself (DPkg::Lock::Timeout) but silently, and not at all for the
# lists lock of "update" or the download cache's lock: the first attempt
# fails fast on any of them, says what holds it, and later attempts wait.
apt_get() {
  local deadline=$((SECONDS + lock_wait)) timeout=0 log rc held said=""
  log=$(mktemp)
  while :; do
    rc=0
    # English messages, so that the lock failure can be recognised.
    $sudo env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 \
      apt-get -o DPkg::Lock::Timeout="$timeout" "$@" 2>"$log" || rc=$?
    held=$(grep -m1 -o 'Could not get lock.*' "$log" || true)
    if ((rc == 0)) || [[ -z "$held" ]] || ((SECONDS >= deadline)); then
      cat "$log" >&2
      rm -f "$log"
      return "$rc"
    fi
    if [[ "$held" != "$said" ]]; then
      echo "Waiting up to ${lock_wait}s for the package manager: $held"
      said=$held
    fi
    sleep 2
    timeout=$((deadline > SECONDS ? deadline - SECONDS : 0))
  done
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    # npm may come with Node.js from elsewhere; then the Debian one is not needed.
    if [[ "$p" == npm || "$p" == nodejs ]] && command -v npm >/dev/null 2>&1; then continue; fi
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt_get update -qq
  apt_get install -y -qq "${missing[@]}"
fi

# Montserrat is not packaged by Debian: take the Regular TTF from an
# OFL-licensed font package of the npm registry. Without it the program
# still runs; the font loader logs the missing file.
fonts="$here/.deps/fonts"
if [[ ! -s "$fonts/Montserrat-Regular.ttf" ]]; then
  mkdir -p "$fonts"
  tmp=$(mktemp -d)
  if (cd "$tmp" && timeout 300 npm pack --silent @expo-google-fonts/montserrat@0.4.2 >/dev/null 2>&1) \
     && tar -xzf "$tmp"/*.tgz -C "$tmp" package/400Regular/Montserrat_400Regular.ttf; then
    cp "$tmp/package/400Regular/Montserrat_400Regular.ttf" "$fonts/Montserrat-Regular.ttf"
  else
    echo "warning: could not fetch the Montserrat font; going on without it" >&2
  fi
  rm -rf "$tmp"
fi
