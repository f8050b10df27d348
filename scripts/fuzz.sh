#!/usr/bin/env bash
# Fuzzes the annotation reader for the given number of seconds (default
# 600): arbitrary bytes through LoadFile, then a save, a reload and a second
# save that must equal the first. Built with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, apart from
# the main build trees. Fails on any crash, leak, round-trip difference or
# input that takes over a second; the input is kept in build-fuzz/artifacts/.
# With QUILL_FUZZ_COVERAGE=1, also reports the line coverage of model/ that
# the corpus reaches.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
seconds="${1:-600}"
out=build-fuzz
mkdir -p "$out/corpus" "$out/artifacts"

cxx="$(command -v clang++-14 || command -v clang++)"
xml_cflags="$(pkg-config --cflags libxml-2.0)"
xml_libs="$(pkg-config --libs libxml-2.0)"
sources=(model/*.cpp fuzz/fuzz_load_file.cpp)

# Rebuilt only when a source or header is newer than the target.
build() {
  local target="$1"; shift
  if [ -x "$target" ] && [ -z "$(find model fuzz tests/support -newer "$target" -name '*.[ch]*' -print -quit)" ]; then
    return
  fi
  echo "== Building $target =="
  # shellcheck disable=SC2086
  "$cxx" -std=c++20 -g -O1 -Imodel -Itests/support $xml_cflags "$@" "${sources[@]}" $xml_libs -o "$target"
}

build "$out/fuzz_load_file" -fsanitize=fuzzer,address,undefined,float-cast-overflow \
  -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer
bash scripts/make-fuzz-corpus.sh "$out/seeds" >/dev/null

echo "== Fuzzing the annotation reader for ${seconds} s =="
# The fuzzer's own status, read before anything else runs: an "|| true"
# after the pipe would leave only its own success in PIPESTATUS.
set +e
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$out/fuzz_load_file" "$out/corpus" "$out/seeds" \
    -dict=fuzz/annotation.dict -max_len=8192 -timeout=1 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/" 2>&1 | tee "$out/last-run.log" | grep -v '^#[0-9]*.*\(NEW\|REDUCE\|pulse\)'
statuses=("${PIPESTATUS[@]}")
set -e
status="${statuses[0]}"
if [ "$status" -ne 0 ]; then
  echo "Fuzzing found a fault (status $status); see $out/last-run.log and $out/artifacts/" >&2
  exit 1
fi
grep -aE "INITED|DONE" "$out/last-run.log" || true

if [ "${QUILL_FUZZ_COVERAGE:-0}" = 1 ]; then
  build "$out/fuzz_coverage" -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping
  rm -f "$out"/cov-*.profraw
  LLVM_PROFILE_FILE="$out/cov-%p.profraw" "$out/fuzz_coverage" -runs=0 "$out/corpus" "$out/seeds" >/dev/null 2>&1
  llvm-profdata-14 merge -sparse "$out"/cov-*.profraw -o "$out/cov.profdata"
  llvm-cov-14 report "$out/fuzz_coverage" -instr-profile="$out/cov.profdata" \
    model/TimelineFile.cpp model/XmlFileReader.cpp model/XmlFileWriter.cpp model/TrackListReader.cpp \
    model/XmlText.cpp model/TimeValue.cpp model/Segment.cpp model/Track.cpp model/TrackList.cpp
fi
