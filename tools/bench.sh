#!/usr/bin/env bash
# Builds the benchmarks for the architecture this machine runs best (as tools/run.sh chooses) and
# runs each under Wine on a virtual display; prints their tables. Arguments go to every benchmark:
# for the switch benchmark [rounds] [--only N] [--managed-1000].
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_headless bench bench Zelvanor benchmarks
for b in "$ZELVANOR_DIR"/bin/bench_*.exe; do
  [ -e "$b" ] || continue
  echo "== $(basename "$b") ($ZELVANOR_ARCH_CHOSEN)"
  "$WINE" "$b" "$@"
done
