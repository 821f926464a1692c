#!/bin/bash
# scripts/run-tool.sh: the tool's exit code, 124 at the time limit, 125 when
# it writes more than the limit, and a log that never grows past the limit.
set -uo pipefail
run_tool=$(cd "$(dirname "$0")/../../scripts" && pwd)/run-tool.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# what | expected exit code | time limit | command (1000 bytes of log at most);
# each must end within 8 seconds.
cases=(
  "a tool that succeeds|0|20|true"
  "a tool that fails|3|20|sh -c 'echo failing; exit 3'"
  "a tool that never ends|124|1|sleep 30"
  "a tool that prints for ever|125|20|yes looping"
)
failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r what expected seconds command <<<"$entry"
  log=$work/log
  rm -f "$log"
  start=$SECONDS
  VELMORA_TOOL_LOG_BYTES=1000 eval "\"$run_tool\" \"$log\" $seconds $command" >/dev/null 2>&1
  status=$?
  size=$(stat -c %s "$log")
  if ((status != expected)) || ((size > 1200)) || ((SECONDS - start > 8)); then
    echo "run-tool-test: FAILED: $what: exit code $status (not $expected), log $size bytes, $((SECONDS - start)) s"
    failures=$((failures + 1))
  else
    echo "run-tool-test: ok: $what: exit code $status, log $size bytes"
  fi
done
exit $((failures > 0))
