#!/usr/bin/env bash
# The soak's session, inside the virtual display that scripts/soak.sh opens.
set -euo pipefail
dir="$QUILL_SOAK_DIR"
total=$((QUILL_SOAK_MINUTES * 60))
interval="$QUILL_SOAK_INTERVAL"
if [ "$QUILL_SOAK_MINUTES" -gt 20 ]; then baseline=600; else baseline=$((total / 2)); fi

"$QUILL_SOAK_PROGRAM" --annotations "$dir/demo.xml" --folder "$dir" "$dir/demo.mp4" \
  > "$dir/program.log" 2>&1 &
launcher=$!
pid=$launcher
cleanup() {
  kill "$pid" 2>/dev/null || true
  # A profiling wrapper writes its results once the program has gone.
  wait "$launcher" 2>/dev/null || true
}
trap cleanup EXIT

# The display is this session's own: the only Quillmark window on it is
# ours, whether the program was started directly or through a wrapper.
window=""
for _ in $(seq 300); do
  window="$(xdotool search --onlyvisible --name Quillmark 2>/dev/null | head -1 || true)"
  [ -n "$window" ] && break
  kill -0 "$launcher" 2>/dev/null || break
  sleep 0.2
done
[ -n "$window" ] || { echo "La fenêtre n'est pas apparue" >&2; cat "$dir/program.log" >&2; exit 1; }
pid="$(xdotool getwindowpid "$window")"
sleep 2

# Places in the window, from its top-left corner, measured on a window of
# 1012 x 517 and scaled to the window's size: the play button, the "[" and
# "]" buttons, the timeline's time span (0 to about 17 s) and its rows.
eval "$(xdotool getwindowgeometry --shell "$window")"
sx() { echo $(($1 * WIDTH / 1012)); }
sy() { echo $(($1 * HEIGHT / 517)); }
move() { xdotool mousemove --window "$window" "$(sx "$1")" "$(sy "$2")"; }
click() { move "$1" "$2"; xdotool click 1; }
play() { click 25 220; }
rows=(252 277 302)

alive() { kill -0 "$pid" 2>/dev/null; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
fds() { ls "/proc/$pid/fd" | wc -l; }
# A box left open by some action would take every later click: answer it.
close_boxes() {
  local w name
  for w in $(xdotool search --maxdepth 1 --pid "$pid" --onlyvisible '.*' 2>/dev/null); do
    # The search also gives the root window, which has no name.
    name="$(xdotool getwindowname "$w" 2>/dev/null || true)"
    [ "$w" = "$window" ] || [ -z "$name" ] && continue
    xdotool windowfocus "$w" key Escape 2>/dev/null || true
    echo "une fenêtre « $name » a été fermée" >> "$dir/boxes.log"
  done
}

# A box at start says the video or the annotations did not open: the soak
# would then measure a program with nothing to play. The start files open
# after the window shows, a slow video within the player's 5 s.
for _ in $(seq 8); do
  close_boxes
  [ -s "$dir/boxes.log" ] && break
  sleep 1
done
if [ -s "$dir/boxes.log" ]; then
  echo "ÉCHEC : le programme a signalé une erreur au démarrage" >&2
  cat "$dir/boxes.log" "$dir/program.log" >&2
  exit 1
fi

start=$SECONDS
next_sample=0
next_save=180
cycle=0
base_rss=""; base_fds=""
echo "minute  RSS (Ko)  descripteurs"
while true; do
  elapsed=$((SECONDS - start))
  alive || { echo "Le programme s'est arrêté" >&2; cat "$dir/program.log" >&2; exit 1; }
  if [ "$elapsed" -ge "$next_sample" ]; then
    rss="$(rss_kb)"; fd="$(fds)"
    printf '%6.1f  %8d  %d\n' "$(echo "$elapsed / 60" | bc -l)" "$rss" "$fd"
    # mpv opens and closes descriptors as it plays: a leak is a count above
    # the highest one seen up to the baseline.
    if [ -z "$base_rss" ]; then
      [ "$fd" -gt "${base_fds:-0}" ] && base_fds="$fd"
      [ "$elapsed" -ge "$baseline" ] && base_rss="$rss"
    fi
    next_sample=$((next_sample + interval))
  fi
  [ "$elapsed" -ge "$total" ] && break

  row="${rows[cycle % 3]}"
  # Scrub: press on the row, drag across the timeline, release early on.
  x=$((200 + (cycle * 97) % 318))
  move "$x" "$row"; xdotool mousedown 1
  for step in 40 80 120; do move $((x + step)) "$row"; sleep 0.1; done
  move "$x" "$row"; xdotool mouseup 1
  # Play, cut a segment on that row, stop.
  play; sleep 3
  click 855 390; sleep 2
  click 957 390; sleep 3
  play; sleep 1
  close_boxes
  if [ "$elapsed" -ge "$next_save" ]; then
    before="$(stat -c %Y.%s "$dir/demo.xml")"
    xdotool windowfocus "$window" key ctrl+s 2>/dev/null || true
    sleep 1
    after="$(stat -c %Y.%s "$dir/demo.xml")"
    [ "$before" != "$after" ] || echo "Ctrl+S n'a pas enregistré à $((elapsed / 60)) min" >> "$dir/boxes.log"
    next_save=$((next_save + 180))
  fi
  cycle=$((cycle + 1))
done

cat "$dir/boxes.log" 2>/dev/null || true
echo "Cycles : $cycle ; segments dans le fichier enregistré : $(grep -c '<segment' "$dir/demo.xml")"
growth="$(echo "($rss - $base_rss) * 100 / $base_rss" | bc -l)"
printf 'Mémoire : %d Ko au repère, %d Ko à la fin (%+.1f %%) ; descripteurs : au plus %d au repère, %d à la fin\n' \
  "$base_rss" "$rss" "$growth" "$base_fds" "$fd"
status=0
max_growth="${QUILL_SOAK_MAX_GROWTH:-10}"
if [ "$(echo "$growth > $max_growth" | bc)" = 1 ]; then echo "ÉCHEC : la mémoire a crû de plus de $max_growth %" >&2; status=1; fi
if [ "$fd" -gt "$base_fds" ]; then echo "ÉCHEC : des descripteurs restent ouverts" >&2; status=1; fi
exit "$status"
