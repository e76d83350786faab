#!/usr/bin/env bash
# Starts the program under a virtual display with a generated demo project (two
# tracks, a highlight and markers) and writes a screenshot of the main window.
#
#   scripts/screenshots.sh [build folder] [output folder]   (defaults: build/release, screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
out=$(mkdir -p "${2:-screenshots}" && cd "${2:-screenshots}" && pwd)
for tool in xvfb-run xdotool import sox; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (apt-get install xvfb xdotool imagemagick sox)"; exit 1; }
done

work=$(mktemp -d)
# A sound server of the run's own, so that the program finds its audio devices.
trap './scripts/pulse-test-server.sh stop "$work/pulse" >/dev/null; rm -rf "$work"' EXIT
./scripts/pulse-test-server.sh start "$work/pulse" >/dev/null || true
export XDG_RUNTIME_DIR="$work/pulse"
mkdir -p "$work/home" "$work/audio" "$work/config"
export HOME="$work/home"

# The demo: a chord on track 1, a bass line on track 2, named and levelled.
sox -V1 -n -r 44100 -c 2 -b 16 "$work/chord.wav" synth 12 sine 220 sine 277 sine 330 gain -9 fade 0.5 12 2
sox -V1 -n -r 44100 -c 2 -b 16 "$work/bass.wav" synth 12 square 55 gain -16 tremolo 2 60
"$build/cli/trackwright-cli" --config-dir "$work/config" --audio-folder "$work/audio" \
  -e "import '$work/chord.wav'" -e 'track 2' -e "import '$work/bass.wav'" -e 'track 1' \
  -e 'markers 0:02 0:09' -e 'select 0:03 0:06' -e 'level 2 14 14' -e "save '$work/demo.mix'" >/dev/null
# A configuration record of the run's own (348 bytes: the first-run settings with the
# work folder as audio folder), so that no first-run pages come and the developer's
# configuration stays as it is.
{
  printf 'SNVX30\0%s' "$work/audio"; head -c $((261 - ${#work} - 6)) /dev/zero
  head -c 8 /dev/zero; printf '\1\0\0\0'; head -c 4 /dev/zero; printf '\1\1\0\0\1\0\0\0\144\0\12\0\0\0'
  head -c 16 /dev/zero; for i in 1 2 3 4 5 6 7 8; do printf '\7\0'; done; for i in 1 2 3 4 5 6 7 8; do printf '\2\0'; done
  head -c 2 /dev/zero
} > "$work/config/mixer.cfg"

cat > "$work/shoot.sh" <<SHOOT
#!/usr/bin/env bash
"$build/ui/trackwright" --config-dir "$work/config" "$work/demo.mix" &
pid=\$!
sleep 4
import -window root "$out/main-window.png"
kill \$pid
SHOOT
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 1032x640x24" "$work/shoot.sh"
echo "screenshots in $out: $(ls "$out" | tr '\n' ' ')"
