#!/usr/bin/env bash
# Builds both architectures (both always compile) and runs the whole test suite through CTest
# under Wine on every architecture this machine runs (ZELVANOR_ARCH picks one), one after the
# other, each on a virtual display and in a Wine prefix of its own. Extra arguments go to ctest
# (for example -R Framework). Ends with CTest's summary per architecture and one line for each
# architecture that could not run; the exit status is non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_probe32
if [ -n "${ZELVANOR_ARCH:-}" ]; then
  zelvanor_choose_arch test >/dev/null
  run=("$ZELVANOR_ARCH_CHOSEN")
else
  read -r -a run <<<"$(zelvanor_runnable_archs)"
fi
for arch in "${ZELVANOR_ARCHS[@]}"; do
  zelvanor_build "$arch"
done

# The screens beyond one 96-dpi monitor: the suites named ...AtDpi again in a prefix per extra DPI
# (ZELVANOR_TEST_DPI tells them which), and the suites named ...OnMonitors on two monitors.
# They run after a whole-suite run, or always with ZELVANOR_EXTRA=1 (never with 0).
extra=${ZELVANOR_EXTRA:-auto}
[ "$extra" = auto ] && { [ $# -eq 0 ] && extra=1 || extra=0; }
run_extra() {  # arch dpi|monitors
  local arch=$1 what=$2 dir status=0 pattern='AtDpi\.' size=1280x1024 log
  dir=$(zelvanor_arch_dir "$arch")
  log="$dir/ctest-$what.log"
  echo "== $what tests on $arch"
  if [ "$what" = monitors ]; then
    pattern='OnMonitors\.'
    zelvanor_start_monitors_display "$arch" "$dir"
  else
    zelvanor_start_display "$dir" "$size"
  fi
  if [ "$what" = monitors ]; then
    (zelvanor_monitors "$arch" && zelvanor_wine_warm_up "$dir/warmup.log" &&
      ctest --test-dir "$dir" --output-on-failure --timeout 300 -R "$pattern" >"$log" 2>&1)
  else
    (zelvanor_wine_prefix_dpi "$arch" "$what" && zelvanor_wine_warm_up "$dir/warmup.log" &&
      ZELVANOR_TEST_DPI=$what ctest --test-dir "$dir" --output-on-failure --timeout 300 \
        -R "$pattern" >"$log" 2>&1)
  fi || status=1
  cat "$log" 2>/dev/null || true
  # The subshell's Wine settings are gone with it; its server is ended through the prefix's.
  (if [ "$what" = monitors ]; then zelvanor_wine_prefix "$arch" test-monitors
   else zelvanor_wine_prefix "$arch" "test-dpi$what"; fi; zelvanor_wineserver -k 2>/dev/null) || true
  zelvanor_stop_display
  summary+=("$arch ($what): $(grep -E 'tests passed|No tests were found' "$log" 2>/dev/null |
    tail -n 1 || true)")
  return $status
}

rc=0
summary=()
trap 'zelvanor_wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
for arch in "${run[@]}"; do
  dir=$(zelvanor_arch_dir "$arch")
  echo "== tests on $arch"
  zelvanor_start_display "$dir"
  zelvanor_wine_prefix "$arch" test
  zelvanor_wine_warm_up "$dir/warmup.log"
  status=0
  ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@" | tee "$dir/ctest.log" \
    || status=$?
  [ "${PIPESTATUS[0]}" -ne 0 ] && status=1
  [ $status -ne 0 ] && rc=1
  zelvanor_wineserver -k 2>/dev/null || true
  zelvanor_stop_display
  summary+=("$arch: $(grep -E 'tests passed|No tests were found' "$dir/ctest.log" | tail -n 1)")
  [ "$extra" = 1 ] || continue
  for what in ${ZELVANOR_EXTRA_DPIS-144 192} monitors; do
    run_extra "$arch" "$what" || rc=1
  done
done
echo
echo "== summary"
for line in "${summary[@]}"; do echo "$line"; done
for arch in "${ZELVANOR_ARCHS[@]}"; do
  case " ${run[*]} " in
    *" $arch "*) ;;
    *) if [ -n "${ZELVANOR_ARCH:-}" ]; then why="ZELVANOR_ARCH=$ZELVANOR_ARCH"
       else why=$ZELVANOR_NO32_WHY; fi
       echo "$arch: built, not run: $why" ;;
  esac
done
exit $rc
