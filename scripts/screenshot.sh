#!/usr/bin/env bash
# Takes a screenshot of Quillmark under a virtual X display and writes a PNG:
#   scripts/screenshot.sh [out.png] [window|timeline|player] [speed]
# "window" (the default) is the main window with a test video loaded, at
# the speed given (×1 unless said);
# "timeline" a timeline with a few tracks; "player" the player control
# paused at 3.2 s.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
out="$(realpath -m "${1:-screenshot.png}")"
what="${2:-window}"
speed="${3:-1}"

bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF > /dev/null
cmake --build build -j "$(nproc)" > /dev/null

work="build/screenshots"
mkdir -p "$work"
video="$work/testsrc.mp4"
if [ ! -s "$video" ]; then
  ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=10:size=640x360:rate=25 \
    -c:v libx264 -pix_fmt yuv420p "$video"
fi

case "$what" in
  window)   program=(build/tests/app/window_demo "$video" 6 "$speed") ;;
  timeline) program=(build/tests/timeline/timeline_demo 6) ;;
  player)   program=(build/tests/player/player_demo "$video" 3200 6) ;;
  *) echo "inconnu : $what (window, timeline ou player)" >&2; exit 2 ;;
esac

export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
# Give the program time to show its first frames, then grab the whole screen.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$@" & pid=$!
  sleep 4
  import -window root "'"$out"'"
  wait "$pid"
' _ "${program[@]}"
echo "$out"
