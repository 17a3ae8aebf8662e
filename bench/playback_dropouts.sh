#!/usr/bin/env bash
# Dropouts of playback: plays a 60 s continuous sine through `quillane-cli play`
# into the headless test server's null sink, once with 1 frame per buffer and
# once with 8, records the sink's monitor and counts the gaps inside the tone
# (runs of more than 2 ms where both channels are near zero).
#
#   bench/playback_dropouts.sh [SECONDS]
#
# QUILLANE_CLI names the command line tool (default: build/test/src/cli/quillane-cli).
# When QUILLANE_WINDOW_BENCH names bench/window_playback_bench's executable, the
# same file is then played through the main window (offscreen), which repaints
# its view at every returned buffer.
# Uses scripts/sound-server; a server it had to start is stopped again at the end.
# Needs sox, lame, parec and python3.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
cli=${QUILLANE_CLI:-build/test/src/cli/quillane-cli}
[ -x "$cli" ] || { echo "playback_dropouts: no $cli (build it, or set QUILLANE_CLI)" >&2; exit 1; }

started=""
if ! scripts/sound-server env >/dev/null 2>&1; then
  scripts/sound-server start
  started=1
fi
eval "$(scripts/sound-server env)"

work=$(mktemp -d)
recorder=""
cleanup() {
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null || true
  rm -rf "$work"
  [ -n "$started" ] && scripts/sound-server stop || true
}
trap cleanup EXIT

# A continuous 1 kHz sine at -6 dBFS, stereo 44.1 kHz, CBR 128 kbit/s.
sox -R -D -V1 -r 44100 -c 2 -n -b 16 "$work/sine.wav" synth "$seconds" sine 1000 gain -6
lame --quiet --noreplaygain -b 128 -m j "$work/sine.wav" "$work/sine.mp3"

count_dropouts() {
  python3 - "$1" <<'EOF'
import array, sys
data = array.array("h", open(sys.argv[1], "rb").read())
frames = len(data) // 2
loud = [i for i in range(0, frames, 64) if abs(data[2 * i]) > 1000]
if not loud:
    print("no tone recorded")
    sys.exit(1)
first, last = loud[0], loud[-1]
shortest = 44100 * 2 // 1000  # more than 2 ms of near-zero samples is a dropout
runs, run, longest, total = 0, 0, 0, 0
for i in range(first, last):
    if abs(data[2 * i]) < 64 and abs(data[2 * i + 1]) < 64:
        run += 1
    else:
        if run > shortest:
            runs += 1
            total += run
            longest = max(longest, run)
        run = 0
print(f"tone {(last - first) / 44100:.2f} s, dropouts {runs}, "
      f"silent {total * 1000 / 44100:.0f} ms in all, longest {longest * 1000 / 44100:.1f} ms")
EOF
}

# Records the sink's monitor while the command runs; prints how long it took.
record_while() {
  parec -d q_sink.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    >"$work/recording.raw" &
  recorder=$!
  sleep 0.5
  start=$(date +%s.%N)
  "$@" >"$work/play.out"
  end=$(date +%s.%N)
  sleep 0.5
  kill "$recorder"
  wait "$recorder" 2>/dev/null || true
  recorder=""
  printf 'played in %.2f s (%s); ' "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(cat "$work/play.out")"
  count_dropouts "$work/recording.raw"
}

# 8 frames of PCM need a 40 KiB buffer: allow 64 so that buffer_frm stays as given.
for frames in 1 8; do
  printf 'quillane-cli, buffer_frm %s: ' "$frames"
  record_while "$cli" play "$work/sine.mp3" --buffer-frames "$frames" --buffer-max 64
done
if [ -n "${QUILLANE_WINDOW_BENCH:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  for frames in 1 8; do
    printf 'window, buffer_frm %s: ' "$frames"
    record_while "$QUILLANE_WINDOW_BENCH" "$work/sine.mp3" "$frames" 64
  done
fi
