#!/bin/bash
# The program left alone with the two demo cameras: its resident memory
# every 10 s, and how far it moved after the first minute. A program meant
# to run all day keeps that within 256 KiB.
#
#   bench/idle_rss.sh [program [minutes]]
#
# Defaults: build-release/bin/OrlaCam, 4 minutes. Runs on the display in
# DISPLAY when one is set, offscreen otherwise; HOME and XDG_DATA_HOME point
# at a temporary folder, so the user's settings stay untouched.
set -u
program=${1:-build-release/bin/OrlaCam}
minutes=${2:-4}
[ -x "$program" ] || { echo "no program at $program" >&2; exit 2; }

home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$home"' EXIT
platform=${DISPLAY:+xcb}
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
    ORLACAM_DEVICE_BACKEND=sim QT_QPA_PLATFORM=${platform:-offscreen} \
    "$program" --log_std >"$home/out.log" 2>&1 &
pid=$!

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }

samples=$((minutes * 6))
first=""
printf '%6s %10s\n' "s" "RSS KiB"
for ((i = 0; i <= samples; i++)); do
    kib=$(rss)
    [ -n "$kib" ] || { echo "the program ended; its output:" >&2; cat "$home/out.log" >&2; exit 1; }
    printf '%6d %10d\n' $((i * 10)) "$kib"
    [ $i -eq 6 ] && first=$kib
    [ $i -lt $samples ] && sleep 10
done
last=$(rss)
growth=$((last - first))
verdict=met
[ "$growth" -gt 256 ] && verdict=MISSED
echo "after the first minute: $first -> $last KiB ($growth KiB in $((minutes - 1)) min): within 256 KiB $verdict"
echo "\"Reply too short\" lines: $(grep -c 'Reply too short' "$home/out.log")"
