#!/usr/bin/env bash
# Each effect on a track of MINUTES minutes beside its nearest sox effect on the same
# audio in the same run (both from the page cache, writing a file of the same size).
# Prints seconds, the ratio and the peak memory; it never fails on a time.
#
#   bench/effects_bench.sh [build folder] [minutes]     (defaults: build/test, 10)
set -euo pipefail
build=$(cd "${1:-build/test}" && pwd)
minutes=${2:-10}
bench="$build/bench/effects_bench"
command -v sox >/dev/null || { echo "effects_bench: sox is missing"; exit 1; }
[ -x "$bench" ] || { echo "effects_bench: build $bench first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
raw=(-t raw -r 44100 -c 2 -b 16 -e signed-integer)
length=$((minutes * 60))
sox -V1 -n "${raw[@]}" "$work/track.raw" synth $length pluck 220 pluck 330 tremolo 3 40 gain -6
elapsed() { local start=$(date +%s.%N); "$@" >/dev/null || return 1; echo "$(date +%s.%N) - $start" | bc; }
peer() { elapsed sox -V1 "${raw[@]}" "$work/track.raw" "${raw[@]}" "$work/peer.raw" "$@"; }

echo "Effects on a $minutes-minute track ($(nproc) cores): ours beside sox"
while IFS='|' read -r effect label args; do
  cp "$work/track.raw" "$work/result.raw"
  ours=$(/usr/bin/time -f %M -o "$work/memory" "$bench" "$work/result.raw" "$work/track.raw" "$effect") || exit 1
  # shellcheck disable=SC2086
  theirs=$(peer $args) || { echo "effects_bench: sox $args failed"; exit 1; }
  printf '  %-42s %6.2f s   sox %6.2f s   ratio %5.2f   peak memory %6d KiB\n' "$label" "$ours" "$theirs" \
    "$(echo "$ours / $theirs" | bc -l)" "$(cat "$work/memory")"
done <<LIST
volume|Adjust Volume 50% (sox vol 0.5)|vol 0.5
fade|Fade out over the track (sox fade)|fade t 0 -0 ${length}
reverse|Reverse (sox reverse)|reverse
echo|Canyon Echo (sox echos, the same taps)|echos 1 1 850 0.5 1700 0.25 2550 0.0625 3400 0.00390625
reverb|Large Cathedral (sox reverb)|reverb 50 50 100
multi-voice|Simple Chorus II (sox chorus)|chorus 0.45 1 45 0.6 0.25 2 -t 90 0.6 0.25 2 -t
LIST
