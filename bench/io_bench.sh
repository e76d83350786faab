#!/usr/bin/env bash
# Import and export against the tools users compare with, on the same material in
# one run: eight tracks of MINUTES minutes, and one WAV and one MP3 of that length
# made by sox and lame, for each length given (default 5 and 60 minutes, to show
# that the cost grows with the length and the memory does not). Every time is the
# best of RUNS runs (the machine may be shared; by default 3 up to 10 minutes and 1
# beyond); the program's start-up (and for the exports the opening of the project)
# is measured the same way and taken off.
# Prints seconds, the ratio to the peer and the peak resident memory; it never
# fails on a time.
#
#   bench/io_bench.sh [build folder] [minutes...]     (defaults: build/test, 5 60)
#   RUNS=5 bench/io_bench.sh build 5
set -euo pipefail
build=$(cd "${1:-build/test}" && pwd)
shift || true
lengths=(5 60)
[ $# -gt 0 ] && lengths=("$@")
cli="$build/cli/trackwright-cli"
for tool in sox lame mpg123 bc; do command -v $tool >/dev/null || { echo "io_bench: $tool is missing"; exit 1; }; done
[ -x "$cli" ] || { echo "io_bench: build $cli first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { "$cli" --config-dir "$work/config" --audio-folder "$work/audio" "$@" >/dev/null 2>"$work/last.err" || {
  cat "$work/last.err"; exit 1; }; }
# The best wall-clock seconds of the command over the runs.
best() {
  local least=
  for ((i = 0; i < runs; i++)); do
    local start=$(date +%s.%N)
    "$@"
    local took=$(echo "$(date +%s.%N) - $start" | bc)
    if [ -z "$least" ] || [ "$(echo "$took < $least" | bc)" = 1 ]; then least=$took; fi
  done
  echo "$least"
}
# Peak resident memory in KiB of one run of the program.
memory() {
  /usr/bin/time -f %M -o "$work/memory" "$cli" --config-dir "$work/config" --audio-folder "$work/audio" "$@" \
    >/dev/null 2>&1
  cat "$work/memory"
}
mixed() { for n in 1 2 3 4 5 6 7 8; do echo "-v 1 $work/t$n.wav"; done; }
report() {  # work, our seconds, peer, peer seconds, goal
  printf '  %-40s %7.2f s   %-26s %7.2f s   ratio %5.2f   goal %s\n' "$1" "$2" "$3" "$4" \
    "$(echo "$2 / $4" | bc -l)" "$5"
}

echo "io_bench: $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg)"
for minutes in "${lengths[@]}"; do
  rm -rf "$work"/*
  mkdir -p "$work/config" "$work/audio"
  runs=${RUNS:-$([ "$minutes" -le 10 ] && echo 3 || echo 1)}
  seconds=$((minutes * 60))
  # Long material is five synthesised minutes over again: sox copies faster than it
  # synthesises.
  piece=$((minutes < 5 ? seconds : 300))
  for n in 1 2 3 4 5 6 7 8; do
    sox -V1 -n -r 44100 -c 2 -b 16 "$work/piece.wav" synth $piece sine $((200 * n)) sine $((310 * n)) gain -12
    sox -V1 $(for ((k = 0; k < seconds / piece; k++)); do echo "$work/piece.wav"; done) "$work/t$n.wav"
  done
  rm "$work/piece.wav"
  lame --quiet -b 128 "$work/t1.wav" "$work/t1.mp3"
  script="$work/build.txt"
  : > "$script"
  for n in 1 2 3 4 5 6 7 8; do echo "track $n" >> "$script"; echo "import '$work/t$n.wav'" >> "$script"; done
  echo "save '$work/p.mix'" >> "$script"
  run --script "$script"

  echo
  echo "$minutes minutes: 8 tracks of $((seconds * 176400 / 1000000)) MB; one WAV and its MP3 to import; best of $runs"
  start=$(best run -e "position 0")
  opened=$(best run -e "open '$work/p.mix'")
  printf '  (start-up %.3f s and opening the project %.3f s are taken off)\n' "$start" "$opened"
  # Our exports, less opening the project.
  export_time() { echo "$(best run -e "open '$work/p.mix'" -e "export $*") - $opened" | bc; }
  import_time() { echo "$(best run -e "import '$1'") - $start" | bc; }

  t=$(export_time "'$work/out.wav'")
  p=$(best sox -V1 -m $(mixed) "$work/peer.wav")
  report "export WAV 44.1 kHz (8-track mixdown)" "$t" "sox -m" "$p" "<= 0.10"
  t=$(export_time "'$work/out.wav' --rate 22050 --bits 8 --channels 1")
  p=$(best sox -V1 -m $(mixed) -r 22050 -b 8 -c 1 "$work/peer.wav")
  report "export WAV 22.05 kHz 8-bit mono" "$t" "sox -m + rate" "$p" "<= 0.10"
  t=$(export_time "'$work/out.mp3' --bitrate 128")
  p=$(best bash -c "sox -V1 -m $(mixed | tr '\n' ' ') -t wav - | lame --quiet -b 128 - '$work/peer.mp3'")
  report "export MP3 128 kbit/s" "$t" "sox -m | lame" "$p" "<= 1.00"
  sox -V1 -m $(mixed) "$work/mix.wav"
  l=$(best lame --quiet -b 128 "$work/mix.wav" "$work/peer.mp3")
  report "export MP3 128 kbit/s" "$t" "lame alone on the mix" "$l" "<= 1.05"
  t=$(import_time "$work/t1.wav")
  p=$(best sox "$work/t1.wav" -t raw "$work/peer.raw")
  report "import WAV (one $minutes-minute file)" "$t" "sox to raw" "$p" "<= 1.10"
  t=$(import_time "$work/t1.mp3")
  p=$(best mpg123 -q -w "$work/peer.wav" "$work/t1.mp3")
  report "import MP3" "$t" "mpg123 -w" "$p" "<= 1.10"
  t=$(best run -e "open '$work/p.mix'" -e save)
  printf '  %-40s %7.2f s   (an unedited save copies no audio)\n' "open and save the project" "$t"

  echo "  peak resident memory (KiB): export WAV $(memory -e "open '$work/p.mix'" -e "export '$work/out.wav'")," \
    "export MP3 $(memory -e "open '$work/p.mix'" -e "export '$work/out.mp3'")," \
    "import WAV $(memory -e "import '$work/t1.wav'"), import MP3 $(memory -e "import '$work/t1.mp3'")"
  # The exports leave nothing behind them but their result.
  left=$(find "$work" -maxdepth 1 -name '.out.*' | wc -l)
  [ "$left" = 0 ] || echo "  io_bench: $left side files were left beside the exports"
done
