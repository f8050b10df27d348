#!/usr/bin/env bash
# Runs Quillmark for the given number of minutes (default 60) under a
# virtual display on a copy of the demo set, used as a user would with
# xdotool: scrubbing on the timeline, playback with the companion video
# following the segments, "[" / "]" cuts on each track in turn, and Ctrl+S
# every few minutes. Samples the resident memory and the open descriptors
# each minute, and fails when memory grows more than 10 % between the
# baseline (minute 10, or half-way through runs of 20 minutes or less) and
# the end, when descriptors are left open, when the program dies, or when it
# reports an error on starting (it would then have nothing to play).
#   QUILL_SOAK_INTERVAL=seconds  sampling period (default 60)
#   QUILL_SOAK_MAX_GROWTH=percent  allowed growth (default 10)
#   QUILL_SOAK_PROGRAM=command  what to run instead of build/app/quillmark:
#     another build, or a wrapper that profiles it (the process measured is
#     the one that owns the window)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
minutes="${1:-60}"
interval="${QUILL_SOAK_INTERVAL:-60}"
program="${QUILL_SOAK_PROGRAM:-$here/build/app/quillmark}"
[ -x "$program" ] || { echo "$program manque : construisez d'abord" >&2; exit 2; }

bash scripts/make-demo.sh build/demo > /dev/null
work="$(mktemp -d /tmp/quill-soak.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp build/demo/* "$work/"
# The state folder too is the soak's own: its recovery copies stay out of
# the user's, and no copy left by someone else is offered at its start.
export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 XDG_RUNTIME_DIR="$work/xdg" XDG_STATE_HOME="$work/state"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QUILL_SOAK_MINUTES="$minutes" QUILL_SOAK_INTERVAL="$interval" QUILL_SOAK_DIR="$work"
export QUILL_SOAK_PROGRAM="$program"
xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/soak-session.sh
