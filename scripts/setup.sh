#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing dianziqin need.
# Does nothing when everything is present. Usage: scripts/setup.sh [run|test|bench]
#   run   - also the larger General MIDI soundfont for the best sound
#   test  - also the tools the test suite uses (fuzzing compiler runtime, audio server)
#   bench - also what the benchmarks compare against: PipeWire with its PulseAudio
#           layer (started privately) and VMPK
set -euo pipefail
mode=${1:-test}

pkgs=(
  g++ cmake ninja-build pkg-config libgtest-dev
  qt6-base-dev libxcb-xkb-dev libx11-dev qt6-multimedia-dev gstreamer1.0-plugins-good
  libfluidsynth-dev libsdl2-dev libpulse-dev timgm6mb-soundfont libasound2-dev
  fonts-wqy-microhei
  pulseaudio pulseaudio-utils
)
case "$mode" in
  run)  pkgs+=(fluid-soundfont-gm) ;;
  test) pkgs+=(clang libclang-rt-14-dev xvfb xauth libxtst6 sox) ;;
  bench) pkgs+=(fluid-soundfont-gm xvfb xauth dbus pipewire wireplumber pipewire-pulse vmpk) ;;
  *) echo "usage: $0 [run|test|bench]" >&2; exit 2 ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
