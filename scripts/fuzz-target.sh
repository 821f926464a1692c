#!/bin/bash
# Runs one libFuzzer target of the native build for a bounded time:
#   fuzz-target.sh PROGRAM SECONDS CORPUS_DIR SEED_DIR [LIBFUZZER_OPTION...]
# New inputs go into CORPUS_DIR (made if missing); the seeds are read, never
# written. A finding (crash, sanitizer report, leak, an input that runs for
# a minute) is written to CORPUS_DIR.findings/ and makes the exit code non-zero.
set -euo pipefail
program=$1 seconds=$2 corpus=$3 seeds=$4
shift 4
mkdir -p "$corpus" "$corpus.findings"
inputs=("$corpus")
[ -d "$seeds" ] && inputs+=("$seeds")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
exec "$program" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=60 -print_final_stats=1 \
  -artifact_prefix="$corpus.findings/" "$@" "${inputs[@]}"
