#!/bin/bash
# Runs one external tool (wixl, msibuild, osslsigncode, msiinfo) bounded in
# time and in output:
#   run-tool.sh LOG SECONDS TOOL [ARGUMENT...]
# The tool's standard output and error are appended to LOG, never more than
# VELMORA_TOOL_LOG_BYTES (default 4 MiB) per run: msibuild 0.101 prints its
# usage for ever when given an option it does not know. The exit code is the
# tool's; 124 when it was stopped at the time limit, 125 when it wrote too
# much. On failure the last lines of its output go to standard error.
set -uo pipefail
if (($# < 3)); then
  echo "usage: run-tool.sh LOG SECONDS TOOL [ARGUMENT...]" >&2
  exit 2
fi
log=$1 seconds=$2
shift 2
limit=${VELMORA_TOOL_LOG_BYTES:-4194304}
mkdir -p "$(dirname "$log")"
printf '$ %s\n' "$*" >>"$log"
run_output=$(mktemp)
trap 'rm -f "$run_output"' EXIT
# head ends the pipe at the limit, and the tool gets SIGPIPE on its next write.
timeout -k 5 "$seconds" "$@" 2>&1 | head -c "$((limit + 1))" >"$run_output"
status=${PIPESTATUS[0]}
size=$(stat -c %s "$run_output")
head -c "$limit" "$run_output" >>"$log"
if ((size > limit)); then
  echo "run-tool: $1 wrote more than $limit bytes: stopped" | tee -a "$log" >&2
  status=125
elif ((status == 124)); then
  echo "run-tool: $1 did not finish in $seconds s: stopped" | tee -a "$log" >&2
fi
if ((status != 0)); then
  echo "run-tool: $1 failed (exit code $status); its last lines, all in $log:" >&2
  tail -n 15 "$run_output" | cut -c 1-300 >&2
fi
exit "$status"
