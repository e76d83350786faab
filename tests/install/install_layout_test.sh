#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop finds there: the
# programs, the codec modules, the shipped data, the icon, a valid desktop entry and a
# MIME type that a project file resolves to (by its name and by its magic alone), and
# that the desktop entry opens. The installed cli then exports a mix, which needs the
# codec modules from the installed layout, and leaves no temp folder behind.
# Usage: install_layout_test.sh BUILD_FOLDER
set -euo pipefail
build=$1

for tool in desktop-file-validate xmllint update-mime-database update-desktop-database gio; do
  if ! command -v "$tool" >/dev/null; then
    if [ "${TRACKWRIGHT_ALLOW_SKIPS:-}" = 1 ]; then
      echo "skipped: $tool is missing"
      exit 77
    fi
    echo "FAIL: $tool is missing (./test.sh provides it; TRACKWRIGHT_ALLOW_SKIPS=1 skips this test)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log"

for file in bin/trackwright bin/trackwright-cli lib/trackwright/LameInterface.so lib/trackwright/WaveDecode.so \
  share/trackwright/trackwright-manual.html share/trackwright/intro.mix share/trackwright/metro.dat share/trackwright/bass.dat \
  share/trackwright/snare.dat share/trackwright/hihat.dat \
  share/icons/hicolor/scalable/apps/trackwright.svg share/applications/trackwright.desktop \
  share/mime/packages/trackwright.xml; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for program in bin/trackwright bin/trackwright-cli; do
  [ -x "$prefix/$program" ] || fail "$program is not executable"
done

desktop=$prefix/share/applications/trackwright.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -q '^MimeType=.*application/x-trackwright-project;' "$desktop" || fail "the desktop entry lacks the project type"
xmllint --noout "$prefix/share/mime/packages/trackwright.xml" || fail "xmllint rejects the MIME type"

# The databases the package system's triggers build, built here inside the prefix.
update-mime-database "$prefix/share/mime" || fail "update-mime-database rejects the MIME type"
update-desktop-database "$prefix/share/applications" || fail "update-desktop-database failed"
grep -q '^application/x-trackwright-project=.*trackwright.desktop' "$prefix/share/applications/mimeinfo.cache" ||
  fail "the desktop database does not open projects with trackwright.desktop"

# A project by its name, one by its magic under any name, and a file with neither.
printf 'SNVX33\0\0' >"$work/song.mix"
printf 'SNVX33\0\0' >"$work/backup-of-song"
printf 'RIFF\0\0\0\0WAVE' >"$work/notes.mix.txt"
content_type() {
  XDG_DATA_DIRS=$prefix/share XDG_DATA_HOME=$work/no-user-data \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
for project in song.mix backup-of-song; do
  type=$(content_type "$work/$project")
  [ "$type" = application/x-trackwright-project ] || fail "$project resolves to '$type'"
done
type=$(content_type "$work/notes.mix.txt")
[ "$type" != application/x-trackwright-project ] || fail "a file that is no project resolves to the project type"

# The installed programs run from the prefix and find their modules there.
"$prefix/bin/trackwright" --version | grep -q '^Sonavel Trackwright ' || fail "trackwright --version"
mkdir -p "$work/audio" "$work/config"
if "$prefix/bin/trackwright-cli" --config-dir "$work/config" --audio-folder "$work/audio" \
  -e new -e 'insert-silence 0:01.000' -e "export $work/mix.mp3" >"$work/cli.log" 2>&1; then
  [ -s "$work/mix.mp3" ] || fail "the installed cli exported no MP3"
else
  cat "$work/cli.log" >&2
  fail "the installed cli could not export an MP3"
fi
[ ! -e "$work/audio/temp" ] || fail "the temp folder is left after a clean exit: $(ls -R "$work/audio/temp")"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "install layout: every check passed"
