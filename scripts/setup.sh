#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then fetches the
# one font Debian does not package. Safe to run again: only missing packages
# are installed.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  g++ cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev
  libhttp-parser-dev libbz2-dev liblzma-dev libdivsufsort-dev
  libudev-dev libx11-dev libxcb1-dev libx11-xcb-dev libxcb-keysyms1-dev
  xvfb xauth fonts-noto-cjk xz-utils bsdiff
  nodejs npm ca-certificates
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    # npm may come with Node.js from elsewhere; then the Debian one is not needed.
    if [[ "$p" == npm || "$p" == nodejs ]] && command -v npm >/dev/null 2>&1; then continue; fi
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
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
