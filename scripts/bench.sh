#!/usr/bin/env bash
# Builds the benchmarks in Release and runs each one under a virtual X display.
# Figures are meant to be read as ratios against the baseline each program
# measures in the same run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUILL_BUILD_BENCH=ON
cmake --build build-bench -j "$(nproc)"

export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
status=0
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b") =="
  xvfb-run -a -s "-screen 0 1280x1024x24" "$b" --benchmark_color=false "$@" || status=1
done
exit "$status"
