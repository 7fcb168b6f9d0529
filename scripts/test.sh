#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice:
# once in a normal build and once in an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test

export LANG=C.UTF-8 LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=gstreamer
export DZQ_TEST_SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2
. scripts/headless-audio.sh
trap stop_headless_audio EXIT

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDZQ_WERROR=ON
cmake --build build/test -j "$jobs"
(cd build/test && ctest --output-on-failure -j "$jobs" --timeout 600)

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDZQ_SANITIZE=ON -DDZQ_WERROR=ON
cmake --build build/asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$PWD/tests/support/lsan.supp"
(cd build/asan && ctest --output-on-failure -j "$jobs" --timeout 900)

# Fuzz targets of every reader of outside input (clang, libFuzzer, same sanitizers),
# each run for a bounded time; a crash, hang or broken property fails the run.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDZQ_SANITIZE=ON -DDZQ_FUZZ=ON -DDZQ_TESTS=OFF -DDZQ_BENCH=OFF -DDZQ_WERROR=ON
cmake --build build/fuzz -j "$jobs" --target dzq_fuzz
fuzz/run.sh build/fuzz 20
