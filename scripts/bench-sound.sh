#!/usr/bin/env bash
# Benchmark (b), what a listener hears, in every case: on a private PulseAudio
# server and on PipeWire's PulseAudio layer (started privately), with the start-up
# voices and with one piano voice, idle and with one busy process per core, and
# the densest accompaniment for a while; VMPK beside it unless --no-vmpk.
# Usage: scripts/bench-sound.sh BENCH_PROCESS_BINARY DISPLAY [presses] [seconds] [--no-vmpk]
# Needs Xvfb on DISPLAY; prints the table on standard output. DZQ_BENCH_SERVERS chooses
# the servers (default: "pulseaudio pipewire").
set -uo pipefail
cd "$(dirname "$0")/.."
b=$1 display=$2 presses=${3:-100} seconds=${4:-60} vmpk=1
[ "${5:-}" = "--no-vmpk" ] && vmpk=0
soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2
[ -f $soundfont ] || soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2

cases() { # server name
  DISPLAY=$display $b header 2>/dev/null
  for load in idle busy; do
    busy=""; [ $load = busy ] && busy=--busy
    DISPLAY=$display $b sound "$presses" --label "$1, start-up voices, $load" $busy -- --soundfont $soundfont 2>/dev/null
    DISPLAY=$display $b sound "$presses" --label "$1, one piano voice, $load" --piano $busy -- --soundfont $soundfont 2>/dev/null
    [ $vmpk = 1 ] && command -v vmpk >/dev/null &&
      DISPLAY=$display $b sound "$presses" --label "$1, VMPK default, $load" --vmpk $busy 2>/dev/null
    $b dense "$seconds" --label "$1, densest accompaniment, $load" $busy 2>/dev/null
  done
}

servers=${DZQ_BENCH_SERVERS:-pulseaudio pipewire}

# A plain PulseAudio server with a null sink.
[[ " $servers " == *" pulseaudio "* ]] && (
  . scripts/headless-audio.sh
  trap stop_headless_audio EXIT
  if [ -n "${DZQ_HAVE_PULSE:-}" ]; then cases PulseAudio; else echo "PulseAudio: skipped, no server"; fi
)

# PipeWire with its session manager and its PulseAudio layer, in a runtime folder of their own.
[[ " $servers " == *" pipewire "* ]] && (
  export XDG_RUNTIME_DIR=$(mktemp -d) && chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse PIPEWIRE_RUNTIME_DIR=$XDG_RUNTIME_DIR
  if ! command -v pipewire-pulse >/dev/null || ! command -v wireplumber >/dev/null; then
    echo "PipeWire: skipped, not installed (scripts/setup.sh bench)"; exit 0
  fi
  # The session manager needs a session bus: one of their own.
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || { echo "PipeWire: skipped, no D-Bus"; exit 0; }
  export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | head -n 1)
  bus_pid=$(echo "$bus" | tail -n 1)
  pipewire >/dev/null 2>&1 & pw=$!
  sleep 0.5
  wireplumber >/dev/null 2>&1 & wp=$!
  pipewire-pulse >/dev/null 2>&1 & pp=$!
  trap 'kill $pp $wp $pw $bus_pid 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR"' EXIT
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl load-module module-null-sink sink_name=vsink >/dev/null 2>&1
  pactl set-default-sink vsink >/dev/null 2>&1
  sleep 1
  if pactl list short sinks 2>/dev/null | grep -q vsink; then cases PipeWire; else echo "PipeWire: skipped, no sink"; fi
)
