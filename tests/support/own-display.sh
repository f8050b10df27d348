#!/usr/bin/env bash
# Runs a command on an X server of its own: a test that needs the active
# window or the real pointer must not share them with another test that
# ctest runs at the same time. Usage: own-display.sh WIDTHxHEIGHT COMMAND...
# The server picks a free display number itself (-displayfd), so that any
# number of these can start at once.
set -uo pipefail
size="$1"
shift

numberFile="$(mktemp /tmp/quill-display.XXXXXX)"
# -noreset: a server left with no client resets, and a client connecting
# meanwhile is refused now and then; a test that kills its program and
# starts it again leaves the server without clients for a moment.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 &
server=$!
cleanup() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -f "$numberFile"
}
trap cleanup EXIT

# The number is written once the server accepts clients.
for _ in $(seq 300); do
  grep -q . "$numberFile" && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
number="$(head -n 1 "$numberFile")"
if [ -z "$number" ]; then
  echo "own-display.sh: the X server did not start" >&2
  exit 1
fi

runtime="$(mktemp -d /tmp/quill-xdg.XXXXXX)"
chmod 700 "$runtime"
status=0
DISPLAY=":$number" XAUTHORITY=/dev/null XDG_RUNTIME_DIR="$runtime" "$@" || status=$?
rm -rf "$runtime"
exit "$status"
