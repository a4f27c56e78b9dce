#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan) and runs each for a
# bounded time, starting from its committed seed corpus.
#   scripts/fuzz.sh [seconds per target, default 20] [target...]
# New inputs go to build/fuzz/corpus/<target> (kept between runs); a finding
# stops its target and is saved as build/fuzz/findings/<target>-crash-<hash>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-20}
shift || true
all=(cert tray_tooltip status_texts conflict_text redirect_reply scenario)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all[@]}"); fi

scripts/build.sh fuzz -DZEPHAL_WERROR=ON
mkdir -p build/fuzz/findings

run_one() {
  local target=$1 seconds=$2
  local work="build/fuzz/corpus/$target"
  mkdir -p "$work"
  if build/fuzz/bin/${target}_fuzz "$work" "tests/fuzz/corpus/$target" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/findings/$target-" >"build/fuzz/$target.log" 2>&1; then
    echo "fuzz $target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$target.log" | grep -o '[0-9]*$') runs, no finding"
  else
    echo "fuzz $target: FINDING (build/fuzz/$target.log)"
    tail -40 "build/fuzz/$target.log"
    return 1
  fi
}
export -f run_one

# Two at a time: the machines have two cores.
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_one "$@"' _ {} "$seconds"
