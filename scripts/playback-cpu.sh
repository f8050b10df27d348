#!/usr/bin/env bash
# What playing a video costs: Quillmark's whole-process CPU against bare mpv
# showing the same files at the same picture sizes, under a virtual display
# of 1280 x 1024 with openbox and Mesa's software renderer.
#   scripts/playback-cpu.sh [BUILD] [CASES]
# BUILD is an existing build tree (default build/; nothing is built).
# CASES is any of the letters (default "abcp"):
#   a  the demo video playing, annotations in view, no companion
#   b  the same with the companion playing through a numbered segment,
#      against two mpv processes playing both files at once
#   c  100 tracks of 1,000 segments, the whole range in view
#   p  the demo video paused (Quillmark alone)
# Each program runs alone (they would share the renderer's two cores), the
# two by turns, QUILL_CPU_ROUNDS times (default 3); each figure is the median
# of its rounds, a percentage of one core over QUILL_CPU_SECONDS (default 20).
# QUILL_CPU_SHOTS=DIR keeps a screenshot of each Quillmark run taken while it
# is measured. QUILL_CPU_THREADS=1 prints each Quillmark run's CPU by thread;
# QUILL_CPU_COUNTS=1 runs Quillmark with BUILD/bench/libframe_counts.so
# preloaded and prints where its frames went while it was measured
# (bench/FrameCounts.cpp): pictures sent to the X server by window and size,
# swaps, video renders, compositions, updates asked for, widgets painted. The exit status is 1 when a ratio is above its bound of 2.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ "${1:-}" != "--session" ]; then
  build="$(realpath -m "${1:-$here/build}")"
  cases="${2:-abcp}"
  program="$build/app/quillmark"
  if [ -n "${QUILL_CPU_COUNTS:-}" ]; then
    export QUILL_CPU_PRELOAD="$build/bench/libframe_counts.so"
    [ -f "$QUILL_CPU_PRELOAD" ] || { echo "$QUILL_CPU_PRELOAD manque (cible frame_counts)" >&2; exit 2; }
  fi
  [ -x "$program" ] || { echo "$program manque : construisez d'abord" >&2; exit 2; }
  bash "$here/scripts/deps.sh"
  bash "$here/scripts/make-demo.sh" "$build/demo" > /dev/null
  work="$build/playback-cpu"
  mkdir -p "$work"
  export QUILL_CPU_PROGRAM="$program" QUILL_CPU_DEMO="$build/demo" QUILL_CPU_WORK="$work"
  export QUILL_CPU_CASES="$cases"
  export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$here/scripts/playback-cpu.sh" --session
  exit $?
fi

# ---- inside the virtual display ----
program="$QUILL_CPU_PROGRAM"
demo="$QUILL_CPU_DEMO"
work="$QUILL_CPU_WORK"
rounds="${QUILL_CPU_ROUNDS:-3}"
seconds="${QUILL_CPU_SECONDS:-20}"
threads="${QUILL_CPU_THREADS:-}"
counts="${QUILL_CPU_COUNTS:-}"
shots="${QUILL_CPU_SHOTS:-}"
[ -n "$shots" ] && mkdir -p "$shots"
ticks="$(getconf CLK_TCK)"

openbox > /dev/null 2>&1 &
wm=$!
running=()
finish() {
  local p
  for p in "${running[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${running[@]}"; do wait "$p" 2>/dev/null || true; done
  kill "$wm" 2>/dev/null || true
}
trap finish EXIT

# The files each case plays. The companion is looped to outlast a round;
# its pictures are the demo's own.
sed 's/video="[0-9]*"/video="0"/' "$demo/demo.xml" > "$work/a.xml"
mkdir -p "$work/companion"
if [ ! -s "$work/companion/annotation1.mov" ]; then
  ffmpeg -loglevel error -y -stream_loop 9 -i "$demo/annotation1.mov" -c copy "$work/companion/annotation1.mov"
fi
sed 's#</corps>#  <piste libelle="Compagnon">\n    <segment debut="0" fin="300000">\n      <contenu titre="Tout" commentaire="" video="1"/>\n    </segment>\n  </piste>\n</corps>#' \
  "$work/a.xml" > "$work/b.xml"
python3 - "$work/c.xml" <<'EOF'
import sys
# 100 tracks of 1,000 titled segments over the demo's 30 s (1 s is 10000).
with open(sys.argv[1], "w", encoding="utf-8") as out:
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n<corps>\n')
    for t in range(100):
        out.write(f'  <piste libelle="Piste {t}">\n')
        for s in range(1000):
            start = s * 300 + t * 3
            out.write(f'    <segment debut="{start}" fin="{start + 240}">'
                      f'<contenu titre="Séquence {s}" commentaire="" video="0"/></segment>\n')
        out.write('  </piste>\n')
    out.write('</corps>\n')
EOF

cpu_ticks() {
  local total=0 p
  for p in "$@"; do
    total=$((total + $(awk '{ print $14 + $15 }' "/proc/$p/stat")))
  done
  echo "$total"
}

# Ticks of each thread of a process, "name ticks" lines.
thread_ticks() {
  local t
  for t in /proc/"$1"/task/*; do
    echo "$(tr ' ' '_' < "$t/comm") $(sed 's/.*) //' "$t/stat" | awk '{ print $12 + $13 }')"
  done 2>/dev/null
}

# Percentage of one core the processes took together over the measure.
measure() {
  local t0 t1 c0 c1
  [ -n "$threads" ] && thread_ticks "$1" > "$work/threads.before"
  t0="$(date +%s.%N)"; c0="$(cpu_ticks "$@")"
  sleep "$seconds"
  t1="$(date +%s.%N)"; c1="$(cpu_ticks "$@")"
  if [ -n "$threads" ]; then
    thread_ticks "$1" > "$work/threads.after"
    # Threads of one name are summed: the renderer's, the decoder's.
    awk -v span="$(python3 -c "print($t1 - $t0)")" -v hz="$ticks" '
      { name = $1; sub(/[-:][0-9]+$/, "", name) }
      FNR == NR { before[name] += $2; next }
      { after[name] += $2 }
      END { for (n in after) { v = 100 * (after[n] - before[n]) / hz / span; if (v >= 0.05) printf "    %-20s %6.2f %%\n", n, v } }
    ' "$work/threads.before" "$work/threads.after" | sort -k2 -g -r
  fi
  result="$(python3 -c "print(f'{100 * ($c1 - $c0) / $ticks / ($t1 - $t0):.2f}')")"
}

find_window() {
  local pid="$1" name="$2" window=""
  for _ in $(seq 300); do
    window="$(xdotool search --onlyvisible --pid "$pid" --name "$name" 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "La fenêtre de $pid n'est pas apparue" >&2; return 1; }
  echo "$window"
}

# The black rectangles of a window's picture, largest first: "x y w h" lines.
black_areas() {
  import -window "$1" -depth 8 ppm:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pos += 1
w, h = int(fields[1]), int(fields[2])
pixels = data[pos:]
def black(x, y):
    i = 3 * (y * w + x)
    return pixels[i] < 8 and pixels[i + 1] < 8 and pixels[i + 2] < 8
areas = []
for y in range(0, h, 4):
    for x in range(0, w, 4):
        if not black(x, y) or any(ax <= x < ax + aw and ay <= y < ay + ah for ax, ay, aw, ah in areas):
            continue
        x0 = x
        while x0 > 0 and black(x0 - 1, y): x0 -= 1
        y0 = y
        while y0 > 0 and black(x0, y0 - 1): y0 -= 1
        x1 = x0
        while x1 + 1 < w and black(x1 + 1, y0): x1 += 1
        y1 = y0
        while y1 + 1 < h and black(x0, y1 + 1): y1 += 1
        areas.append((x0, y0, x1 - x0 + 1, y1 - y0 + 1))
areas = sorted((a for a in areas if a[2] * a[3] >= 5000), key=lambda a: -a[2] * a[3])
for a in areas:
    print(*a)
'
}

# The players' pictures, found as the black areas of a window with nothing
# loaded: left to right, the main player's then the companion's.
geometry() {
  "$program" > "$work/empty.log" 2>&1 &
  local pid=$!
  running+=("$pid")
  local window
  window="$(find_window "$pid" '^Quillmark')"
  sleep 2
  black_areas "$window" | head -2 | sort -n > "$work/pictures"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  running=()
  [ "$(wc -l < "$work/pictures")" -eq 2 ] || { echo "Images des lecteurs introuvables" >&2; cat "$work/pictures" >&2; exit 1; }
  read -r main_x main_y main_w main_h < <(sed -n 1p "$work/pictures")
  read -r comp_x comp_y comp_w comp_h < <(sed -n 2p "$work/pictures")
  echo "Image du lecteur principal : ${main_w}x${main_h}, du compagnon : ${comp_w}x${comp_h}"
}

# The maximum channel value of a window's area: 0 while it is black.
area_max() {
  import -window "$1" -depth 8 ppm:- | convert - -crop "$2" +repage -format '%[max]' info:
}

area_changes() {
  local first second
  first="$(import -window "$1" -depth 8 ppm:- | convert - -crop "$2" +repage ppm:- | md5sum)"
  sleep 0.3
  second="$(import -window "$1" -depth 8 ppm:- | convert - -crop "$2" +repage ppm:- | md5sum)"
  [ "$first" != "$second" ]
}

# The play button is the transport bar's first, 22 pixels square, in the
# bottom-left corner of the player's control (2 pixels in, 1 up). The
# control's bottom edge is its template's, in dialog units (a vertical unit
# is 13/8 pixels at the layout's own size) scaled as the window is.
click_play() {
  local window="$1" left="$2" bottom_units="$3"
  local WIDTH HEIGHT X Y SCREEN
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local bottom=$((bottom_units * 13 * WIDTH / (8 * 1012)))
  xdotool mousemove --window "$window" $((left + 2 + 11)) $((bottom - 1 - 11)) click 1
  # Away from the window, so that nothing follows the pointer.
  xdotool mousemove 1270 1010
}

# Clicks a player's play button until its picture moves.
start_playing() {
  local window="$1" area="$2" left="$3" bottom_units="$4" what="$5"
  for _ in $(seq 100); do
    [ "$(area_max "$window" "$area")" != "0" ] && break
    sleep 0.2
  done
  for _ in 1 2 3; do
    click_play "$window" "$left" "$bottom_units"
    sleep 1
    area_changes "$window" "$area" && return 0
  done
  echo "$what ne joue pas" >&2
  exit 1
}

# Runs Quillmark on a case and sets `result` to its CPU.
run_quillmark() {
  local case="$1" args=()
  case "$case" in
    a|p) args=(--annotations "$work/a.xml" "$demo/demo.mp4") ;;
    b)   args=(--annotations "$work/b.xml" --folder "$work/companion" "$demo/demo.mp4") ;;
    c)   args=(--annotations "$work/c.xml" "$demo/demo.mp4") ;;
  esac
  rm -f "$work/counts"
  if [ -n "$counts" ]; then
    QUILL_FRAME_COUNTS="$work/counts" LD_PRELOAD="$QUILL_CPU_PRELOAD" "$program" "${args[@]}" \
      > "$work/quillmark-$case.log" 2>&1 &
  else
    "$program" "${args[@]}" > "$work/quillmark-$case.log" 2>&1 &
  fi
  local pid=$!
  running=("$pid")
  local window
  window="$(find_window "$pid" '^Quillmark')"
  local main="${main_w}x${main_h}+${main_x}+${main_y}"
  local comp="${comp_w}x${comp_h}+${comp_x}+${comp_y}"
  # Main player: template rows 10 to 143; companion: 7 to 142.
  if [ "$case" != p ]; then
    start_playing "$window" "$main" "$main_x" 143 "La vidéo principale"
  else
    for _ in $(seq 100); do
      [ "$(area_max "$window" "$main")" != "0" ] && break
      sleep 0.2
    done
  fi
  [ "$case" = b ] && start_playing "$window" "$comp" "$comp_x" 142 "Le compagnon"
  sleep 2
  local shot=""
  if [ -n "$shots" ]; then
    ( sleep $((seconds / 2)); import -window root "$shots/quillmark-$case-$round.png" ) &
    shot=$!
  fi
  [ -n "$counts" ] && cp "$work/counts" "$work/counts.before"
  measure "$pid"
  [ -n "$counts" ] && frame_counts
  [ -n "$shot" ] && wait "$shot"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  running=()
}

# Where the frames went while measured, per second, from the preloaded
# counter's totals (written each second, so give or take one second's).
frame_counts() {
  local d
  echo "    par seconde :"
  awk -v span="$seconds" '
    FNR == NR { c = $1; p = $2; $1 = $2 = ""; before[substr($0, 3)] = c; bpx[substr($0, 3)] = p; next }
    { c = $1; p = $2; $1 = $2 = ""; k = substr($0, 3); n = (c - before[k]) / span
      if (n > 0) printf "      %-58s %7.1f%s\n", k, n, (p > bpx[k]) ? sprintf("  %6.2f Mpx", (p - bpx[k]) / span / 1e6) : "" }
  ' "$work/counts.before" "$work/counts" | sort
  # The X windows named above, with their sizes.
  for d in $(awk '$3 == "put" || $3 == "swap" || $3 == "copysub" { print $4 }' "$work/counts" | sort -u); do
    echo "      fenêtre $d : $(xwininfo -id "$d" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')"
  done
}

# Bare mpv on the same files at the same picture sizes; sets `result`.
run_mpv() {
  local case="$1" pids=()
  local common=(--vo=gpu --gpu-context=x11egl --osc=no --keep-open=yes --really-quiet --ao=null)
  mpv "${common[@]}" --geometry="${main_w}x${main_h}" "$demo/demo.mp4" > "$work/mpv-$case.log" 2>&1 &
  pids+=("$!")
  if [ "$case" = b ]; then
    mpv "${common[@]}" --geometry="${comp_w}x${comp_h}" "$work/companion/annotation1.mov" >> "$work/mpv-$case.log" 2>&1 &
    pids+=("$!")
  fi
  running=("${pids[@]}")
  local p
  for p in "${pids[@]}"; do find_window "$p" 'mpv' > /dev/null; done
  sleep 3
  measure "${pids[@]}"
  for p in "${pids[@]}"; do kill "$p"; wait "$p" 2>/dev/null || true; done
  running=()
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

geometry
declare -A quill mpvs
for round in $(seq "$rounds"); do
  for case in $(echo "$QUILL_CPU_CASES" | grep -o .); do
    run_quillmark "$case"; q="$result"
    quill[$case]="${quill[$case]:-} $q"
    if [ "$case" != p ]; then
      run_mpv "$case"; m="$result"
      mpvs[$case]="${mpvs[$case]:-} $m"
      echo "tour $round, cas $case : Quillmark $q %, mpv $m %"
    else
      echo "tour $round, cas $case : Quillmark $q % (en pause)"
    fi
  done
done

echo
printf '%-48s %10s %8s %7s\n' "Cas (médianes de $rounds tours, % d'un cœur)" Quillmark mpv rapport
status=0
for case in $(echo "$QUILL_CPU_CASES" | grep -o .); do
  # shellcheck disable=SC2086
  q="$(median ${quill[$case]})"
  case "$case" in
    a) label="a. vidéo principale, vue fixe" ;;
    b) label="b. avec le compagnon (contre deux mpv)" ;;
    c) label="c. 100 pistes x 1 000 segments, tout en vue" ;;
    p) label="p. en pause" ;;
  esac
  if [ "$case" = p ]; then
    printf '%-48s %10s %8s %7s\n' "$label" "$q" "-" "-"
    continue
  fi
  # shellcheck disable=SC2086
  m="$(median ${mpvs[$case]})"
  ratio="$(python3 -c "print(f'{$q / $m:.2f}')")"
  verdict="dans la borne (2)"
  if python3 -c "import sys; sys.exit(0 if $q / $m <= 2 else 1)"; then :; else verdict="AU-DELÀ de la borne (2)"; status=1; fi
  printf '%-48s %10s %8s %7s  %s\n' "$label" "$q" "$m" "$ratio" "$verdict"
done
exit "$status"
