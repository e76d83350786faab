#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, with clang and libFuzzer) in build/fuzz and runs each
# for the given seconds (20 by default), all at once. Each target starts from seeds
# written by the program's own encoders and by sox and lame, and keeps what it finds in
# build/fuzz/corpus/<target> for the next run. Prints the executions and the crashes of
# every target; fails when any target crashed (the input is kept in build/fuzz/crashes).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
build=build/fuzz

./scripts/install-deps.sh
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"

seeds="$build/seeds"
rm -rf "$seeds"
"$build/make_seeds" "$seeds"
mkdir -p "$seeds/wave_decode_fuzz" "$seeds/mp3_decode_fuzz"
sox -n -r 44100 -c 2 -b 16 "$seeds/wave_decode_fuzz/stereo16.wav" synth 0.02 sine 440
sox -n -r 22050 -c 1 -b 8 "$seeds/wave_decode_fuzz/mono8.wav" synth 0.02 sine 440
sox -n -r 48000 -c 2 -b 24 "$seeds/wave_decode_fuzz/stereo24.wav" synth 0.02 sine 440
sox -n -r 44100 -c 1 -e floating-point -b 32 "$seeds/wave_decode_fuzz/float.wav" synth 0.02 sine 440
sox -n -r 44100 -c 2 -b 16 "$seeds/mp3_decode_fuzz/source.wav" synth 0.2 sine 440
lame --quiet -b 128 "$seeds/mp3_decode_fuzz/source.wav" "$seeds/mp3_decode_fuzz/stereo128.mp3"
lame --quiet -m m -b 32 --resample 22.05 "$seeds/mp3_decode_fuzz/source.wav" "$seeds/mp3_decode_fuzz/mono22.mp3"
rm "$seeds/mp3_decode_fuzz/source.wav"

targets=(mixer_config_fuzz project_record_fuzz preset_file_fuzz time_text_fuzz command_words_fuzz wave_decode_fuzz mp3_decode_fuzz)
rm -rf "$build/crashes" "$build/logs"
mkdir -p "$build/crashes" "$build/logs"
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  # -timeout: an input that takes this long counts as a crash (a hang found).
  "$build/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$target-" "$build/corpus/$target" "$seeds/$target" \
    >"$build/logs/$target.log" 2>&1 &
done
failed=0
wait || true
printf '%-22s %14s %8s\n' target executions crashes
for target in "${targets[@]}"; do
  log="$build/logs/$target.log"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  crashes=$(ls "$build/crashes" | grep -c "^$target-" || true)
  if ! grep -q '^Done [0-9]* runs' "$log"; then
    crashes=$((crashes > 0 ? crashes : 1))
  fi
  printf '%-22s %14s %8s\n' "$target" "${executions:-0}" "$crashes"
  if [ "$crashes" -ne 0 ]; then
    failed=1
    echo "fuzz.sh: $target crashed; its log is $log" >&2
  fi
done
exit "$failed"
