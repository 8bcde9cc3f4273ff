#!/usr/bin/env bash
# Says what the last ctest run did: the skipped tests grouped by their reason, then one plain line
# "N passed, N failed, N skipped". Reads ctest's own log, so it needs nothing beyond awk.
set -euo pipefail
log="${1:-build/Testing/Temporary/LastTest.log}"
if [ ! -f "$log" ]; then
  echo "0 passed, 1 failed, 0 skipped (no test log at $log)"
  exit 1
fi
awk '
  # A test starts with "k/n Testing: name"; a skipped Google Test says "file:line: Skipped",
  # then its reason, then "[  SKIPPED ]".
  /^[0-9]+\/[0-9]+ Testing: / { total++; reason = ""; inReason = 0; next }
  /: Skipped$/ { inReason = 1; next }
  inReason && /^\[  SKIPPED \]/ { inReason = 0; next }
  inReason { if (reason == "" && $0 != "") reason = $0; next }
  /^Test Passed\./ { passed++; next }
  # A test ctest skipped on its output "passed" with the reason "Skip regular expression found".
  /^Test Pass Reason:/ { passReason = 1; next }
  passReason {
    passReason = 0
    if ($0 ~ /^Skip/) {
      skipped++
      if (reason == "") reason = "no reason given"
      if (!(reason in count)) order[++reasons] = reason
      count[reason]++
    } else {
      passed++
    }
    next
  }
  END {
    if (skipped > 0) {
      print "Skipped tests by reason:"
      for (i = 1; i <= reasons; i++) printf "  %d: %s\n", count[order[i]], order[i]
    }
    printf "%d passed, %d failed, %d skipped\n", passed, total - passed - skipped, skipped
  }
' "$log"
