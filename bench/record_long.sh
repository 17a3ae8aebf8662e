#!/usr/bin/env bash
# A long recording through `quillane-cli record`: plays a continuous 997 Hz sine
# into the null sink of a private headless sound server for SECONDS (default
# 600), records its monitor to MP3 with LAME, then decodes the file and counts
# the gaps in the tone (a lost capture buffer breaks the sine's phase); the
# sink's monitor, recorded alongside with parec, tells the gaps of the played
# tone itself (a player starved on a busy machine) from the recorder's. The
# command's resident size is read at 1 minute and just before the end, its CPU
# time at the end.
#
#   bench/record_long.sh [SECONDS] [extra record options...]
#
# QUILLANE_CLI names the command line tool (default: build/test/src/cli/quillane-cli).
# The server is its own (scripts/sound-server with a private state file), so
# that the tone never reaches the tests' server; it is stopped at the end.
# Needs sox, pacat, parec, mpg123 and python3. Not run by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
cli=${QUILLANE_CLI:-build/test/src/cli/quillane-cli}
[ -x "$cli" ] || { echo "record_long: no $cli (build it, or set QUILLANE_CLI)" >&2; exit 1; }
cli=$(realpath "$cli")

work=$(mktemp -d)
export QUILLANE_SOUND_STATE="$work/sound-server.env"
player=""
monitor=""
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null && wait "$player" 2>/dev/null || true
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null && wait "$monitor" 2>/dev/null || true
  scripts/sound-server stop || true
  rm -rf "$work"
}
trap cleanup EXIT
scripts/sound-server start
eval "$(scripts/sound-server env)"

# The tone runs a little longer than the recording on both sides.
sox -R -D -V1 -n -r 44100 -c 2 -b 16 -e signed -t raw - synth $((seconds + 10)) sine 997 gain -6 |
  pacat --raw --format=s16le --rate=44100 --channels=2 --latency-msec=50 &
player=$!
sleep 1

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo "?"; }

parec -d q_sink.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 >"$work/monitor.raw" &
monitor=$!
/usr/bin/time -f "%U %S" -o "$work/cpu" "$cli" record -o "$work/long" --seconds "$seconds" "$@" \
  >"$work/out" 2>"$work/err" &
timer=$!
sleep 2
pid=$(pgrep -P "$timer" -x quillane-cli || true)
[ -n "$pid" ] || { echo "record_long: quillane-cli did not start" >&2; wait "$timer" || true; exit 1; }
first=60
[ "$seconds" -lt 70 ] && first=$((seconds / 4))
sleep $((first - 2))
rss_first=$(rss_kb "$pid")
sleep $((seconds - first - 3))
rss_last=$(rss_kb "$pid")
status=0
wait "$timer" || status=$?
kill "$monitor"
wait "$monitor" 2>/dev/null || true
monitor=""
[ "$status" -eq 0 ] || { echo "record_long: quillane-cli record failed ($status)" >&2; cat "$work/err" >&2; exit 1; }

read -r user system <"$work/cpu"
mp3=$(sed -n 's/^recorded //p' "$work/out")
echo "recorded $seconds s to $(stat -c %s "$mp3") bytes; stderr: $(cat "$work/err")"
echo "resident: ${rss_first} kB at ${first} s, ${rss_last} kB at $((seconds - 1)) s"
awk -v u="$user" -v s="$system" -v n="$seconds" \
  'BEGIN { printf "cpu: %.1f s user + %.1f s system = %.2f %% of the recording time\n", u, s, 100 * (u + s) / n }'

cat >"$work/gaps.py" <<'EOF'
import array, math, sys
# Gaps in the 997 Hz tone of a stereo 44.1 kHz raw file: the tone's phase
# against a clock of absolute sample numbers, block by block (10 ms), stays
# constant while the sound is continuous; sound lost or repeated moves it (no
# buffer or chunk size is a whole number of its periods).
label, path = sys.argv[1], sys.argv[2]
left = array.array("h", open(path, "rb").read())[0::2]
rate, hz, block = 44100, 997, 441
cos_t = [math.cos(2 * math.pi * hz * n / rate) for n in range(rate)]
sin_t = [math.sin(2 * math.pi * hz * n / rate) for n in range(rate)]
phases = []
for start in range(0, len(left) - block, block):
    i = q = 0.0
    for n in range(start, start + block):
        v = left[n]
        i += v * cos_t[n % rate]
        q += v * sin_t[n % rate]
    phases.append((start, math.degrees(math.atan2(q, i)), math.hypot(i, q)))
loud = max(p[2] for p in phases)
tone = [k for k, p in enumerate(phases) if p[2] >= 0.5 * loud]
first, last = tone[0] + 3, tone[-1] - 3  # away from the fades at the ends
gaps, inside = [], False  # the blocks around one gap count once
for k in range(first + 1, last + 1):
    jump = (phases[k][1] - phases[k - 1][1] + 180) % 360 - 180
    broken = abs(jump) > 3 or phases[k][2] < 0.5 * loud
    if broken and not inside:
        gaps.append((phases[k][0] / rate, jump))
    inside = broken
seconds = (last - first) * block / rate
listed = ", ".join(f"{t:.2f} s ({j:+.0f} deg)" for t, j in gaps[:10])
print(f"{label}: tone {seconds:.2f} s, gaps {len(gaps)}" + (": " + listed if gaps else ""))
EOF
mpg123 -q -s "$mp3" >"$work/decoded.raw"
echo "decoded $(($(stat -c %s "$work/decoded.raw") / 4)) sample frames for $((seconds * 44100))"
python3 "$work/gaps.py" "the sink's monitor (what was played)" "$work/monitor.raw"
python3 "$work/gaps.py" "the recorded MP3" "$work/decoded.raw"
