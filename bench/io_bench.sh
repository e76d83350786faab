#!/usr/bin/env bash
# Import, export and save against the tools users compare with, on the same
# material in one run: eight tracks of MINUTES minutes, and one WAV and one MP3 of
# that length made by sox and lame. Prints seconds and MB/s; it never fails on a time.
#
#   bench/io_bench.sh [build folder] [minutes]     (defaults: build/test, 10)
set -euo pipefail
build=$(cd "${1:-build/test}" && pwd)
minutes=${2:-10}
cli="$build/cli/trackwright-cli"
for tool in sox lame mpg123; do command -v $tool >/dev/null || { echo "io_bench: $tool is missing"; exit 1; }; done
[ -x "$cli" ] || { echo "io_bench: build $cli first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/audio"
seconds=$((minutes * 60))
run() { "$cli" --config-dir "$work/config" --audio-folder "$work/audio" "$@" >/dev/null 2>"$work/last.err" || {
  cat "$work/last.err"; exit 1; }; }
elapsed() { local start=$(date +%s.%N); "$@"; echo "$(date +%s.%N) - $start" | bc; }
report() {  # name, seconds, bytes of project-format audio handled, peer seconds
  local mbs=$(echo "scale=1; $3 / 1000000 / $2" | bc)
  if [ -n "${4:-}" ]; then
    printf '  %-34s %7.2f s %8.1f MB/s   peer %7.2f s   %5.0f%% of the peer'"'"'s time\n' "$1" "$2" "$mbs" "$4" \
      "$(echo "100 * $2 / $4" | bc -l)"
  else
    printf '  %-34s %7.2f s %8.1f MB/s\n' "$1" "$2" "$mbs"
  fi
}

echo "Material: 8 tracks and one WAV and MP3 of $minutes minutes each ($(nproc) cores)"
for n in 1 2 3 4 5 6 7 8; do
  sox -V1 -n -r 44100 -c 2 -b 16 "$work/t$n.wav" synth $seconds sine $((200 * n)) sine $((310 * n)) gain -12
done
lame --quiet -b 128 "$work/t1.wav" "$work/t1.mp3"
bytes=$((seconds * 176400))
first=1
script="$work/build.txt"
: > "$script"
for n in 1 2 3 4 5 6 7 8; do echo "track $n" >> "$script"; echo "import '$work/t$n.wav'" >> "$script"; done
echo "save '$work/p.mix'" >> "$script"
run --script "$script"
echo

# Each run starts the program; its start-up is measured once and taken off.
start=$(elapsed run -e "position 0")
echo "Import (start-up of $start s taken off)"
t=$(echo "$(elapsed run -e "import '$work/t1.wav'") - $start" | bc)
p=$(elapsed sox "$work/t1.wav" -t raw "$work/peer.raw")
report "WAV import (sox: decode to raw)" "$t" "$bytes" "$p"
t=$(echo "$(elapsed run -e "import '$work/t1.mp3'") - $start" | bc)
p=$(elapsed mpg123 -q -w "$work/peer.wav" "$work/t1.mp3")
report "MP3 import (mpg123: decode)" "$t" "$bytes" "$p"

echo "Export of the eight-track mix"
t=$(elapsed run -e "open '$work/p.mix'" -e "export '$work/out.wav' --rate 22050 --bits 8 --channels 1")
o=$(elapsed run -e "open '$work/p.mix'")
p=$(elapsed sox -V1 -m $(for n in 1 2 3 4 5 6 7 8; do echo "-v 1 $work/t$n.wav"; done) -r 22050 -b 8 -c 1 "$work/peer.wav")
report "WAV 22050 Hz 8-bit mono (sox -m)" "$(echo "$t - $o" | bc)" "$((bytes * 8))" "$p"
t=$(elapsed run -e "open '$work/p.mix'" -e "export '$work/out.mp3' --bitrate 128")
sox -V1 -m $(for n in 1 2 3 4 5 6 7 8; do echo "-v 1 $work/t$n.wav"; done) "$work/mix.wav"
p=$(elapsed lame --quiet -b 128 "$work/mix.wav" "$work/peer.mp3")
report "MP3 128 kbit/s (lame on the mix)" "$(echo "$t - $o" | bc)" "$((bytes * 8))" "$p"

echo "Saving the unedited project"
t=$(elapsed run -e "open '$work/p.mix'" -e save)
report "open and save, $minutes-minute tracks" "$t" "$((bytes * 8))"
echo "  (rerun with a shorter MINUTES: an unedited save copies no audio, so its time does not grow)"
/usr/bin/time -f %M -o "$work/memory" "$cli" --config-dir "$work/config" -e "open '$work/p.mix'" \
  -e "export '$work/out2.mp3'" >/dev/null 2>&1
echo "  peak resident memory of an MP3 export: $(cat "$work/memory") KiB"
