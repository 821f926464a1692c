#!/bin/bash
# Runs every fuzz target of the native build (ASan, UBSan, the library under
# test instrumented) for a given time each, and prints what each run did.
#   scripts/fuzz.sh [SECONDS]      or   make fuzz FUZZ_SECONDS=600
# SECONDS defaults to $FUZZ_SECONDS, else 600. FUZZ_JOBS targets run at once
# (default 1; the runs are single-threaded). The corpus of each target grows
# in build/native/fuzz/corpus/<target> from one run to the next, starting from
# its seeds in tests/fuzz/seeds/<target>; logs and findings lie beside it.
# Exits non-zero when any target found something.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-600}}
jobs=${FUZZ_JOBS:-1}
out=$root/build/native/fuzz

JOBS=${JOBS:-2} "$root/scripts/build.sh" native >/dev/null || exit 1
manifest=$root/build/native/fuzz-targets.txt
[ -s "$manifest" ] || { echo "fuzz: no fuzz targets were built (clang is needed)" >&2; exit 1; }
mkdir -p "$out/logs"

run_one() {
  local name=$1 program=$2 seeds=$3
  shift 3
  "$root/scripts/fuzz-target.sh" "$program" "$seconds" "$out/corpus/$name" "$seeds" "$@" \
    >"$out/logs/$name.log" 2>&1
  echo $? >"$out/logs/$name.status"
}

echo "fuzz: each target for ${seconds} s, ${jobs} at a time; logs in $out/logs"
while read -r name program seeds options; do
  [ -n "$name" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  echo "fuzz: $name $options"
  # shellcheck disable=SC2086 # the options are separate words
  run_one "$name" "$program" "$seeds" $options &
done <"$manifest"
wait

status=0
printf '%-28s %12s %10s %8s %9s  %s\n' target runs "runs/s" corpus "largest" result
while read -r name program seeds options; do
  [ -n "$name" ] || continue
  log=$out/logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  files=$(find "$out/corpus/$name" -type f | wc -l)
  largest=$(find "$out/corpus/$name" -type f -printf '%s\n' | sort -n | tail -1)
  if [ "$(cat "$out/logs/$name.status" 2>/dev/null)" = 0 ]; then
    result="no finding"
  else
    result="FINDING, see $log"
    status=1
  fi
  printf '%-28s %12s %10s %8s %9s  %s\n' "$name" "${runs:-?}" "${rate:-?}" "$files" "${largest:-0}" "$result"
done <"$manifest"
exit $status
