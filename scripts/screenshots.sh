#!/usr/bin/env bash
# Writes pictures of the program with a generated demo project (two tracks, a highlight
# and markers): main-window.png, main-window-large.png, main-window-samples.png,
# mixing-board.png and one dialog-*.png for each dialog of the menus and of the
# toolbar's Monitor (and each page of a dialog with pages); then first-run-page-*.png of a first start. The program's own
# screenshot tour (tools/screenshot_tour) opens the demo as the program starts, takes
# the pictures and fails when one could not be taken.
#
#   scripts/screenshots.sh [build folder] [output folder]   (defaults: build/release, screenshots)
#
# The tour runs on Qt's offscreen platform, or on a virtual X display (xvfb-run) with
# SCREENSHOT_DISPLAY=xvfb. Both draw with the same fonts, and the pictures differ in
# small things only, such as the About box's button: the X platform's default theme
# gives it an icon that no other dialog's buttons have.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
out=$(mkdir -p "${2:-screenshots}" && cd "${2:-screenshots}" && pwd)
display=${SCREENSHOT_DISPLAY:-offscreen}
case "$display" in
  offscreen | xvfb) ;;
  *) echo "screenshots: SCREENSHOT_DISPLAY is offscreen or xvfb, not $display"; exit 2 ;;
esac
tour="$build/tools/trackwright-screenshot-tour"
for program in "$tour" "$build/cli/trackwright-cli"; do
  [ -x "$program" ] || { echo "screenshots: $program is missing (cmake --build $build --target trackwright-screenshot-tour trackwright-cli)"; exit 1; }
done
tools=(sox:sox)
[ "$display" = xvfb ] && tools+=(xvfb-run:xvfb)
for entry in "${tools[@]}"; do
  command -v "${entry%%:*}" >/dev/null || { echo "screenshots: ${entry%%:*} is missing (apt-get install ${entry#*:})"; exit 1; }
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
  -e 'markers 0:02 0:09' -e 'select 0:03 0:06.1' -e 'level 2 14 14' -e "save '$work/demo.mix'" >/dev/null
# A configuration record of the run's own (348 bytes: the first-run settings with the
# work folder as audio folder), so that no first-run pages come and the developer's
# configuration stays as it is.
{
  printf 'SNVX30\0%s' "$work/audio"; head -c $((261 - ${#work} - 6)) /dev/zero
  head -c 8 /dev/zero; printf '\1\0\0\0'; head -c 4 /dev/zero; printf '\1\1\0\0\1\0\0\0\144\0\12\0\0\0'
  head -c 16 /dev/zero; for i in 1 2 3 4 5 6 7 8; do printf '\7\0'; done; for i in 1 2 3 4 5 6 7 8; do printf '\2\0'; done
  head -c 2 /dev/zero
} > "$work/config/mixer.cfg"

# Pictures of an earlier run go, so that each one left is of this run.
rm -f "$out"/main-window*.png "$out"/mixing-board.png "$out"/dialog-*.png "$out"/first-run-page-*.png
# Runs the tour with these arguments on the chosen display.
run_tour() {
  if [ "$display" = xvfb ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$tour" "$@"
  else
    # The offscreen platform says for each dialog that it cannot pass size hints on;
    # that line goes, everything else the tour says stays.
    QT_QPA_PLATFORM=offscreen "$tour" "$@" 2>&1 1>&3 3>&- | { grep -v 'does not support propagateSizeHints' || true; } >&2
    return "${PIPESTATUS[0]}"
  fi
}
# A tone into the sound server's sink, whose monitor is the default input: Monitor
# Input shows its level.
tone=
if command -v pacat >/dev/null; then
  sox -V1 -n -t raw -r 44100 -c 2 -b 16 -e signed-integer - synth 600 sine 440 sine 660 gain -4 2>/dev/null |
    pacat --raw --format=s16le --rate=44100 --channels=2 2>/dev/null &
  tone=$!
fi
tour_status=0
run_tour --config-dir "$work/config" "$out" "$work/demo.mix" 3>&1 || tour_status=$?
[ -n "$tone" ] && kill "$tone" 2>/dev/null
[ "$tour_status" = 0 ] || { echo "screenshots: the tour failed"; exit 1; }
# The first start: no configuration record, so the first-run pages come.
mkdir -p "$work/first"
run_tour --first-run-pages --config-dir "$work/first" "$out" 3>&1 || { echo "screenshots: the first-run tour failed"; exit 1; }
echo "screenshots in $out: $(ls "$out" | tr '\n' ' ')"
