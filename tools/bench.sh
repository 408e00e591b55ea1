#!/usr/bin/env bash
# Builds the benchmarks for the architecture this machine runs best (as tools/run.sh chooses) and
# runs each under Wine on a virtual display; prints their tables. Arguments go to every benchmark.
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_choose_arch bench
arch=$ZELVANOR_ARCH_CHOSEN
dir=$(zelvanor_arch_dir "$arch")
zelvanor_build "$arch" --target Zelvanor benchmarks
zelvanor_start_display "$dir"
trap 'zelvanor_wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix "$arch" bench
zelvanor_wine_warm_up "$dir/warmup.log"
for b in "$dir"/bin/bench_*.exe; do
  [ -e "$b" ] || continue
  echo "== $(basename "$b") ($arch)"
  "$WINE" "$b" "$@"
done
