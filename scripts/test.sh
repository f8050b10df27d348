#!/usr/bin/env bash
# Installs what is missing, builds the project twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both
# builds under a virtual X display, with short passes of the fuzzing and the
# soak. Each phase prints its duration; a failed phase fails the run, named
# in the summary at the end.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

started=$SECONDS
phase_started=$SECONDS
phase_name=""
failed=()

begin_phase() {
  phase_name="$1"
  phase_started=$SECONDS
  echo "== $phase_name == (at $((SECONDS - started)) s)"
}
end_phase() {
  echo "== $phase_name: $((SECONDS - phase_started)) s =="
}

begin_phase "Packages"
bash scripts/deps.sh
end_phase

jobs="$(nproc)"
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1

# A new tree is made with Ninja, precompiled headers and lld, which together
# more than halve a clean build; a tree configured earlier keeps its own
# settings, so that running this script in a working copy rebuilds nothing.
configure() {
  local dir="$1"; shift
  local fresh=()
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    fresh=(-G Ninja -DQUILL_PCH=ON -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
  fi
  cmake -S . -B "$dir" "${fresh[@]}" "$@"
}

# Each run gets its own X server and runtime folder.
run_ctest() {
  local dir="$1"
  local runtime
  runtime="$(mktemp -d /tmp/quill-xdg.XXXXXX)"
  chmod 700 "$runtime"
  local status=0
  XDG_RUNTIME_DIR="$runtime" xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300 || status=$?
  rm -rf "$runtime"
  return "$status"
}

begin_phase "Build"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF
cmake --build build -j "$jobs" || { echo "FAILED: the build" >&2; exit 1; }
end_phase

# The soak mostly waits on the video playing in real time, and the fuzzing
# keeps one core busy: both run beside the sanitizer build, each writing to
# its own log, shown once the build is done.
logs="$(mktemp -d /tmp/quill-test-logs.XXXXXX)"
trap 'rm -rf "$logs"' EXIT
(
  s=$SECONDS
  # Two minutes cannot tell the allocator's warm-up from growth: this pass
  # catches crashes, descriptor leaks and gross leaks; the hour-long run
  # holds the 10 % bound.
  status=0
  QUILL_SOAK_INTERVAL=15 QUILL_SOAK_MAX_GROWTH=25 bash scripts/soak.sh 2 || status=$?
  echo "(soak: $((SECONDS - s)) s)"
  exit "$status"
) > "$logs/soak.log" 2>&1 &
soak=$!
(
  s=$SECONDS
  status=0
  bash scripts/fuzz.sh 30 || status=$?
  echo "(fuzzing: $((SECONDS - s)) s)"
  exit "$status"
) > "$logs/fuzz.log" 2>&1 &
fuzz=$!

begin_phase "Build with the sanitizers (soak and fuzzing beside it)"
build_status=0
{
  configure build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BUILD_BENCH=OFF &&
  cmake --build build-asan -j "$jobs"
} || build_status=$?
end_phase

# Waits for a pass started in the background, shows its log and notes a
# failure under its name.
collect() {
  local name="$1" pid="$2" log="$3" status=0
  begin_phase "$name"
  wait "$pid" || status=$?
  cat "$log"
  [ "$status" -eq 0 ] || failed+=("$name (status $status)")
  end_phase
}
collect "Fuzzing the annotation reader (short pass)" "$fuzz" "$logs/fuzz.log"
collect "Soak (short pass)" "$soak" "$logs/soak.log"

if [ "$build_status" -ne 0 ]; then
  echo "FAILED: the sanitizer build (status $build_status)" >&2
  exit 1
fi

# Both builds' tests at once, each on an X server of its own: many of them
# wait on video playing in real time. The second server starts once the
# first holds its display number.
begin_phase "Tests of both builds, side by side"
(run_ctest build-asan) > "$logs/tests-asan.log" 2>&1 &
tests_asan=$!
sleep 3
plain_status=0
run_ctest build > "$logs/tests.log" 2>&1 || plain_status=$?
asan_status=0
wait "$tests_asan" || asan_status=$?
end_phase
echo "== Tests (sanitizer build) =="
cat "$logs/tests-asan.log"
[ "$asan_status" -eq 0 ] || failed+=("tests of the sanitizer build")
echo "== Tests =="
cat "$logs/tests.log"
[ "$plain_status" -eq 0 ] || failed+=("tests of the plain build")

echo "== Total: $((SECONDS - started)) s =="
if [ "${#failed[@]}" -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "All passed."
