#!/usr/bin/env bash
# Installs what is missing, builds the project twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both
# builds under a virtual X display, with short passes of the fuzzing and the
# soak, and checks the Debian package made from the plain build. Each phase
# prints its duration; a failed phase fails the run, named in the summary at
# the end.
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

# Helpers of the package checks below. A check runs a command and shows its
# output only when it fails, counting the failure in `failures`.
check() {
  local name="$1" out status=0
  shift
  out="$("$@" 2>&1)" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "ok: $name"
  else
    printf 'FAILED: %s (status %s)\n%s\n' "$name" "$status" "$out"
    failures=$((failures + 1))
  fi
}
same() { [ "$1" = "$2" ] || { echo "expected \"$2\", got \"$1\""; return 1; }; }
# man ends with 0 whatever it warns about.
says_nothing() { local said; said="$("$@" 2>&1 >/dev/null)"; [ -z "$said" ] || { echo "$said"; return 1; }; }

# The Debian package made from the plain build, checked with the tools a
# distribution checks its packages with, on the files the package holds
# rather than on their sources. Every check runs; each failure is named.
check_package() {
  local work id=org.quillmark.Quillmark failures=0
  work="$(mktemp -d /tmp/quill-package.XXXXXX)"
  bash scripts/package.sh build "$work" || { rm -rf "$work"; return 1; }
  local deb root share version
  deb="$(echo "$work"/quillmark_*_amd64.deb)"
  root="$work/root"
  share="$root/usr/share"
  dpkg-deb -x "$deb" "$root"
  version="$(dpkg-deb -f "$deb" Version)"
  echo "$(basename "$deb"), version $version"

  check "desktop entry" desktop-file-validate "$share/applications/$id.desktop"
  check "AppStream metadata" appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
  check "newest release in the metadata" same \
    "$(xmllint --xpath 'string(//releases/release[1]/@version)' "$share/metainfo/$id.metainfo.xml")" "$version"
  # The system's own MIME package carries the grammar a package follows.
  sed -n '/<!DOCTYPE mime-info \[/,/^\]>/p' /usr/share/mime/packages/freedesktop.org.xml | sed '1d;$d' > "$work/mime.dtd"
  check "MIME package" xmllint --noout --dtdvalid "$work/mime.dtd" "$share/mime/packages/$id.xml"
  check "manual page" says_nothing man --warnings -l "$share/man/man1/quillmark.1.gz"
  local size
  for size in 48 128 256; do
    check "icon at $size px" same \
      "$(identify -format '%wx%h' "$share/icons/hicolor/${size}x$size/apps/$id.png")" "${size}x$size"
  done
  check "dependencies" apt-get install --simulate "$deb"
  check "version of the packaged program" same "$("$root/usr/bin/quillmark" --version 2>&1)" "Quillmark version $version"
  # The packaged program exports the demo with no display, as the built one does.
  check "export by the packaged program" same \
    "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quillmark" --export tsv --output - build/demo/demo.xml)" \
    "$(env -u DISPLAY -u WAYLAND_DISPLAY build/app/quillmark --export tsv --output - build/demo/demo.xml)"
  check "the demo's table" same \
    "$(env -u DISPLAY "$root/usr/bin/quillmark" --export tsv --output - build/demo/demo.xml | head -n 1)" \
    "$(printf 'piste\tpiste_n\tsegment_n\tdebut_s\tfin_s\tduree_s\ttitre\tcommentaires\tvideo')"

  # The system's types and the package's in one database, as installing
  # the package builds it; xdg-mime, on no particular desktop, asks
  # `mimetype`, which reads that database.
  cp /usr/share/mime/packages/*.xml "$share/mime/packages/"
  check "MIME database" update-mime-database "$share/mime"
  check "menu cache" update-desktop-database "$share/applications"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<corpus>\n  <corps-de-texte/>\n</corpus>\n' > "$work/other.xml"
  (
    unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
    export XDG_DATA_HOME="$share" XDG_DATA_DIRS="$share"
    check "type of the demo annotations" same "$(xdg-mime query filetype build/demo/demo.xml)" application/x-quillmark+xml
    check "type of another XML file" same "$(xdg-mime query filetype "$work/other.xml")" application/xml
    check "program opening annotations" same "$(xdg-mime query default application/x-quillmark+xml)" "$id.desktop"
    exit "$failures"
  ) || failures=$?
  rm -rf "$work"
  [ "$failures" -eq 0 ]
}

begin_phase "Build"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF
cmake --build build -j "$jobs" || { echo "FAILED: the build" >&2; exit 1; }
end_phase

# The soak and the package checks both read the demo: made once, here.
bash scripts/make-demo.sh build/demo > /dev/null

# The soak mostly waits on the video playing in real time, the fuzzing keeps
# one core busy and the package checks are short: all run beside the
# sanitizer build, each writing to its own log, shown once the build is done.
logs="$(mktemp -d /tmp/quill-test-logs.XXXXXX)"
trap 'rm -rf "$logs"' EXIT
(
  s=$SECONDS
  status=0
  check_package || status=$?
  echo "(package checks: $((SECONDS - s)) s)"
  exit "$status"
) > "$logs/package.log" 2>&1 &
package=$!
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

begin_phase "Build with the sanitizers (soak, fuzzing and package checks beside it)"
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
collect "Package checks" "$package" "$logs/package.log"

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
