#!/usr/bin/env bash
# Starts or stops a PulseAudio server of the tests' own: user mode (also as root), its
# own runtime folder, and one null sink in the project format as the default sink, with
# its monitor as the default source. A test that plays into the sink can capture exactly
# what it played from the monitor.
#
#   scripts/pulse-test-server.sh start [runtime-folder]
#   scripts/pulse-test-server.sh stop  [runtime-folder]
#
# The runtime folder (default build/test/pulse-runtime) becomes the server's
# XDG_RUNTIME_DIR; clients find the server when they are given the same folder.
# Prints one line saying whether the server runs. `start` exits non-zero when the
# server does not answer; `stop` always succeeds.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
action="${1:-}"
runtime="${2:-$root/build/test/pulse-runtime}"
sink=trackwright_test

usage() {
  echo "usage: $0 start|stop [runtime-folder]" >&2
  exit 2
}

# Every control command goes to this server only, whatever PULSE_SERVER says.
ctl() {
  env -u PULSE_SERVER XDG_RUNTIME_DIR="$runtime" pactl "$@"
}

answers() {
  ctl info >/dev/null 2>&1
}

server_pid() {
  local pid
  pid="$(cat "$runtime/pulse/pid" 2>/dev/null)" || return 1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

stop_server() {
  if answers; then
    ctl exit >/dev/null 2>&1
  fi
  local pid
  if pid="$(server_pid)"; then
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      sleep 0.2
      kill -9 "$pid" 2>/dev/null
    fi
  fi
  rm -f "$runtime/pulse/native" "$runtime/pulse/pid" "$runtime/trackwright-test-sink"
}

start_server() {
  command -v pulseaudio >/dev/null && command -v pactl >/dev/null || {
    echo "PulseAudio test server: not started (pulseaudio or pactl is missing)"
    return 1
  }
  # A server left over from an interrupted run is replaced by a fresh one.
  stop_server
  mkdir -p "$runtime"
  chmod 700 "$runtime"
  # Without norewinds=1 a capture of the monitor loses its first few dozen milliseconds.
  env -u PULSE_SERVER XDG_RUNTIME_DIR="$runtime" HOME="$runtime" pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --log-target="newfile:$runtime/pulse.log" \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=$sink norewinds=1 rate=44100 channels=2 format=s16le" \
    >/dev/null 2>&1
  for _ in $(seq 1 50); do
    answers && break
    sleep 0.1
  done
  if ! answers; then
    echo "PulseAudio test server: did not start (see $runtime/pulse.log); tests that need it are skipped"
    return 1
  fi
  ctl set-default-sink "$sink" &&
    ctl set-default-source "$sink.monitor" || {
    echo "PulseAudio test server: started but the null sink could not be made the default; stopped"
    stop_server
    return 1
  }
  # Tests play into the server only where they find this mark: a developer's own sound
  # server is never theirs to play noise into.
  echo "$sink" >"$runtime/trackwright-test-sink"
  echo "PulseAudio test server: runs with sink $sink (XDG_RUNTIME_DIR=$runtime)"
}

case "$action" in
  start) start_server ;;
  stop)
    stop_server
    echo "PulseAudio test server: stopped"
    ;;
  *) usage ;;
esac
