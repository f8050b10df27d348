#!/usr/bin/env bash
# Installs what is missing, builds the project twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both
# builds under a virtual X display.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/deps.sh

jobs="$(nproc)"
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1

run_ctest() {
  local dir="$1"
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300
}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF
cmake --build build -j "$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"

# Short passes of the fuzzing and of the soak; their failures fail the run
# once the tests have given their summary.
status=0
echo "== Fuzzing the annotation reader (short pass) =="
bash scripts/fuzz.sh 30 || status=1
echo "== Soak (short pass) =="
# Two minutes cannot tell the allocator's warm-up from growth: this pass
# catches crashes, descriptor leaks and gross leaks; the hour-long run holds
# the 10 % bound.
QUILL_SOAK_INTERVAL=15 QUILL_SOAK_MAX_GROWTH=25 bash scripts/soak.sh 2 || status=1

echo "== Tests (sanitizer build) =="
run_ctest build-asan
echo "== Tests =="
run_ctest build
exit "$status"
