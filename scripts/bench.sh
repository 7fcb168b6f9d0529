#!/usr/bin/env bash
# Installs what is missing, builds, and runs every benchmark in bench/, each
# printing its table. Usage: scripts/bench.sh [--quick]
#   --quick  fewer ticks and presses (about ten minutes instead of about forty: the
#            sound cases of (b) alone take some twenty-five, on two servers)
# The tables also go to results.txt in the build folder (build/bench, or
# $DZQ_BENCH_BUILD).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
[ "${1:-}" = "--quick" ] && quick=1
scripts/setup.sh run
scripts/setup.sh test
scripts/setup.sh bench

export LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_MEDIA_BACKEND=gstreamer
export DZQ_TEST_SOUNDFONT=${DZQ_TEST_SOUNDFONT:-/usr/share/sounds/sf2/TimGM6mb.sf2}
build=${DZQ_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDZQ_TESTS=OFF -DDZQ_BENCH=ON
cmake --build "$build" -j "$(nproc)"

# A private audio server with a null sink, and a private X server.
. scripts/headless-audio.sh
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { kill "$xvfb_pid" 2>/dev/null || true; stop_headless_audio; }
trap cleanup EXIT
sleep 1

b=$build/bench
if [ $quick = 1 ]; then ticks=400; grid=400; seconds=20; presses=300; runs=3; sounds=20; dense=20
else ticks=2000; grid=1000; seconds=60; presses=1000; runs=5; sounds=100; dense=60; fi
{
  QT_QPA_PLATFORM=offscreen $b/dzq_bench_window keys $presses 2>/dev/null       # (a)
  scripts/bench-sound.sh $b/dzq_bench_process :$display $sounds $dense        # (b), its own servers
  QT_QPA_PLATFORM=offscreen $b/dzq_bench_clock $ticks 2>/dev/null             # (c)
  QT_QPA_PLATFORM=offscreen $b/dzq_bench_grid $grid 2>/dev/null               # (d)
  $b/dzq_bench_render $seconds 2>/dev/null                                    # (e)
  DISPLAY=:$display QT_QPA_PLATFORM=xcb $b/dzq_bench_process startup $runs 2>/dev/null  # (f)
  QT_QPA_PLATFORM=offscreen $b/dzq_bench_window score 2>/dev/null             # (g)
} | tee "$build/results.txt"
