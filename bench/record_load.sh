#!/usr/bin/env bash
# A take recorded through the test sound server while two busy loops hold both cores:
# seven tracks play (track 1 clicks at irregular distances, tracks 2 to 7 quiet tones),
# the metronome clicks, and track 8 records the sink's monitor, that is what played.
# Prints whether the take failed, its length, and where each click of track 1 landed in
# the take: one lag from the first click to the last means no gap in the capture.
#
#   bench/record_load.sh [build folder] [seconds]     (defaults: build/test, 120)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/test}" && pwd)
seconds="${2:-120}"
cli="$build/cli/trackwright-cli"
for tool in sox python3 pactl; do command -v $tool >/dev/null || { echo "record_load: $tool is missing"; exit 1; }; done
[ -x "$cli" ] || { echo "record_load: build $cli first"; exit 1; }

work=$(mktemp -d)
busy=()
cleanup() {
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$root/scripts/pulse-test-server.sh" stop "$work/pulse" >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
"$root/scripts/pulse-test-server.sh" start "$work/pulse" >/dev/null
export XDG_RUNTIME_DIR="$work/pulse"
unset PULSE_SERVER

# Track 1: one-sample clicks 0.3 to 0.7 s apart (a fixed pseudo-random sequence), and
# their frame positions.
python3 - "$work/clicks.wav" "$work/clicks.txt" "$((seconds + 5))" <<'EOF'
import random, struct, sys, wave
path, positions, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3])
frames = seconds * 44100
random.seed(7)
at, clicks = 22050, []
while at < frames - 22050:
    clicks.append(at)
    at += random.randint(13230, 30870)
with wave.open(path, "wb") as out:
    out.setnchannels(2), out.setsampwidth(2), out.setframerate(44100)
    silence = bytes(4 * 44100)
    last = 0
    for click in clicks:
        gap = click - last
        while gap > 0:
            part = min(gap, 44100)
            out.writeframes(silence[: 4 * part])
            gap -= part
        out.writeframes(struct.pack("<hh", 30000, 30000))
        last = click + 1
    rest = frames - last
    while rest > 0:
        part = min(rest, 44100)
        out.writeframes(silence[: 4 * part])
        rest -= part
with open(positions, "w") as out:
    out.write("\n".join(map(str, clicks)) + "\n")
EOF
script="$work/take.txt"
{
  echo "track 1"
  echo "import '$work/clicks.wav'"
  for n in 2 3 4 5 6 7; do
    sox -V1 -n -r 44100 -c 2 -b 16 "$work/tone$n.wav" synth $((seconds + 5)) sine $((110 * n)) gain -40
    echo "track $n"
    echo "import '$work/tone$n.wav'"
  done
  echo "metronome on --bpm 120 --measure 4 --accent on --sound beat --level 20"
  echo "arm 8 on"
  echo "position 0"
  echo "record $seconds"
  echo "solo 8 on"
  echo "export '$work/take.wav'"
} > "$script"

for n in 1 2; do
  (while :; do :; done) &
  busy+=($!)
done
echo "record_load: $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'), two busy loops, a $seconds-second take"
status=0
"$cli" --config-dir "$work/config" --audio-folder "$work/audio" --script "$script" >"$work/out.txt" 2>&1 || status=$?
for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
busy=()
if [ "$status" != 0 ]; then
  echo "  the take failed (exit $status):"
  sed 's/^/    /' "$work/out.txt"
  exit 1
fi

python3 - "$work/take.wav" "$work/clicks.txt" "$seconds" <<'EOF'
import struct, sys, wave
take, positions = wave.open(sys.argv[1], "rb"), [int(line) for line in open(sys.argv[2])]
# The export runs to the end of the longest track; the take is the first seconds.
frames = int(sys.argv[3]) * 44100
print(f"  take: {take.getnframes()} frames exported, of which the take's {frames}")

def window(start, count):
    """The left channel's first differences over [start, start + count)."""
    start = max(start, 1)
    take.setpos(start - 1)
    data = take.readframes(count + 1)
    left = struct.unpack(f"<{len(data) // 2}h", data)[0::2]
    return start, [abs(left[i + 1] - left[i]) for i in range(len(left) - 1)]

def strongest(start, count):
    first, diffs = window(start, count)
    if not diffs:
        return None
    best = max(range(len(diffs)), key=diffs.__getitem__)
    return first + best if diffs[best] > 8000 else None

# The first click is looked for half a second either side; the others near the lag
# it gives.
inside = [p for p in positions if p < frames - 2000]
found = strongest(inside[0] - 22050, 44100)
if found is None:
    print("  the first click is not in the take")
    sys.exit(1)
lag = found - inside[0]
lags = []
for p in inside:
    at = strongest(p + lag - 300, 600)
    lags.append(None if at is None else at - p)
missing = sum(1 for x in lags if x is None)
heard = [x for x in lags if x is not None]
moved = sum(1 for x in heard if abs(x - lag) > 2)
print(f"  clicks: {len(inside)} in the take, {missing} not found, lag {lag} frames at the first,"
      f" {min(heard)} to {max(heard)} over all; {moved} more than 2 frames off the first")
print("  no gap in the capture" if missing == 0 and moved == 0 else "  the capture has a gap or a click was lost")
sys.exit(0 if missing == 0 and moved == 0 else 1)
EOF
