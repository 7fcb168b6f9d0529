#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, starting from the
# seeds made from the shipped files and from what earlier runs kept. Fails when
# a target crashes, hangs or breaks a property; the input is kept in
# <build>/fuzz/artifacts/ and can be replayed with `<target> <file>`.
# Usage: fuzz/run.sh <build folder> [seconds per target]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-20}
out=$build/fuzz
here=$(cd "$(dirname "$0")" && pwd)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Font caches live as long as the process; they are not the targets' leaks.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../tests/support/lsan.supp}
# The targets write small files for every input: in memory when possible.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/dzq-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

rm -rf "$out/seeds"
"$out/make_fuzz_seeds" "$out/seeds"
mkdir -p "$out/artifacts"
status=0
for target in "$out"/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$out/corpus/$name"
  log=$out/$name.log
  extra=()
  case $name in fuzz_score_*) extra+=(-dict="$here/score.dict") ;; esac
  if "$target" "${extra[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
       "$out/corpus/$name" "$out/seeds/$name" >"$log" 2>&1; then
    echo "$name: $(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, no failure"
  else
    echo "$name: FAILED" >&2
    tail -n 60 "$log" >&2
    status=1
  fi
done
exit $status
