#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, and only
# those that are missing. Runs apt-get as root (directly, or through sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config          # compiler and build
  libgtest-dev googletest                   # unit tests
  qt6-base-dev qt6-base-dev-tools           # Qt 6 Widgets, moc, rcc, uic
  qt6-tools-dev libqt6opengl6-dev libgl-dev # QUiLoader for the dialog layouts, and the OpenGL modules its CMake package asks for
  fonts-dejavu-core                         # a font for the window and for offscreen rendering
  portaudio19-dev libasound2-plugins        # the audio library and its route to the sound server
  pulseaudio                                # the sound server
  libmp3lame-dev libmpg123-dev libsndfile1-dev sox lame mpg123  # the codec modules' libraries; tools their tests make audio with
  clang libfuzzer-14-dev libclang-rt-14-dev # the fuzz targets: clang, libFuzzer and the sanitizers' runtime
  desktop-file-utils libxml2-utils shared-mime-info libglib2.0-bin  # the install test: desktop entry, MIME type, type lookup
)

missing=()
for package in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
