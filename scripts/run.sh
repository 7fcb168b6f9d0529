#!/usr/bin/env bash
# Installs what is missing, builds, and starts dianziqin on its built-in synthesizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDZQ_TESTS=OFF
cmake --build build/run -j "$(nproc)"
export QT_MEDIA_BACKEND=gstreamer
exec build/run/src/app/dianziqin "$@"
