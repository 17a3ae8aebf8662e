#!/usr/bin/env bash
# Whole-process figures: quillane-cli timed as a user runs it, each command side by
# side with its peer on the same file in one hyperfine run (medians, warm cache),
# and the peak resident size (/usr/bin/time) at 1 minute, 1 hour and 10 hours.
# Prints one Markdown table of ratios and goals, then the resident sizes.
#
#   bench/compare.sh            (scripts/bench --compare builds the tool and runs it)
#
# QUILLANE_CLI           the tool (default build/bench/src/cli/quillane-cli)
# QUILLANE_BENCH_CACHE   where the generated files stay (default ~/.cache/quillane-bench)
# QUILLANE_BENCH_RUNS    timed runs of a fast command (default 10; scans run 3 times)
# QUILLANE_BENCH_DIR     the window's start-up programs (default build/bench/bench)
# Needs hyperfine, sox, lame, mpg123, ffmpeg, mp3splt, python3 and GNU time.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=$(realpath "${QUILLANE_CLI:-build/bench/src/cli/quillane-cli}")
[ -x "$cli" ] || { echo "compare: no $cli (build it, or set QUILLANE_CLI)" >&2; exit 1; }
for tool in hyperfine sox lame mpg123 ffmpeg mp3splt python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
runs=${QUILLANE_BENCH_RUNS:-10}
scan_runs=3

# The files: one minute of tremolo pink noise ending in 4 s of silence, LAME CBR
# 128 kbit/s without a tag; the hour is 60 of them, the ten hours 10 hours.
cache=${QUILLANE_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillane-bench}
mkdir -p "$cache"
minute=$cache/minute.mp3 hour=$cache/hour.mp3 ten=$cache/ten-hours.mp3
if [ ! -s "$minute" ]; then
  sox -R -D -V1 -n -r 44100 -c 2 -b 16 "$cache/minute.wav" \
    synth 56 pinknoise synth 56 sine amod 0.3 tremolo 0.4 80 gain -8 pad 0 4
  lame --quiet --noreplaygain -t -b 128 --cbr "$cache/minute.wav" "$minute"
  rm -f "$cache/minute.wav" "$hour" "$ten"
fi
if [ ! -s "$hour" ]; then
  for _ in $(seq 60); do cat "$minute"; done >"$hour.part" && mv "$hour.part" "$hour"
  rm -f "$ten"
fi
if [ ! -s "$ten" ]; then
  for _ in $(seq 10); do cat "$hour"; done >"$ten.part" && mv "$ten.part" "$ten"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results=$work/results.tsv
: >"$results"

duration() { "$cli" info "$1" | sed -n 's/^duration: //p'; }
# at SECONDS FRACTION: the time FRACTION into the file, in seconds.
at() { awk -v l="$1" -v f="$2" 'BEGIN { printf "%.2f", l * f }'; }

# The edits of every save: three cuts and a fade over 15 % of the file.
save_args() {
  local l=$1
  echo "--cut $(at "$l" 0.05)-$(at "$l" 0.06) --gain $(at "$l" 0.20)-$(at "$l" 0.35):+0:-8" \
    "--cut $(at "$l" 0.50)-$(at "$l" 0.52) --cut $(at "$l" 0.80)-$(at "$l" 0.8001)"
}
# 19 cues: 20 pieces of the same length.
split_cues() {
  local l=$1 k
  for k in $(seq 1 19); do printf -- "--cue %s " "$(at "$l" "$(awk -v k="$k" 'BEGIN { print k / 20 }')")"; done
}
# mp3splt's split points (minutes.seconds) at the same places, then EOF.
mp3splt_points() {
  local l=$1 k
  for k in $(seq 0 19); do awk -v s="$(at "$l" "$(awk -v k="$k" 'BEGIN { print k / 20 }')")" \
    'BEGIN { printf "%d.%05.2f ", int(s / 60), s - 60 * int(s / 60) }'; done
  echo EOF
}
selection_args() { echo "--selection $(at "$1" 0.1667)-$(at "$1" 0.8333)"; }

# compare NAME RUNS QUILLANE_COMMAND PEER_NAME PEER_COMMAND [PEER_NAME PEER_COMMAND]
# Times them in one hyperfine run (outputs removed before each run) and records
# each median and peak resident size.
compare() {
  local name=$1 n=$2 command=$3
  shift 3
  local args=(-n quillane "$command") peers=()
  while [ $# -gt 0 ]; do
    args+=(-n "$1" "$2")
    peers+=("$1")
    shift 2
  done
  # Start-up figures of a few ms need hyperfine to start them without a shell.
  local shell=()
  case $name in version | info*) shell=(-N) ;; esac
  hyperfine "${shell[@]}" --style none --warmup 1 --runs "$n" --prepare "rm -rf $work/out*" \
    --export-json "$work/run.json" "${args[@]}" >/dev/null
  python3 - "$work/run.json" "$name" >>"$results" <<'EOF'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"{sys.argv[2]}\ttime\t{r['command']}\t{r['median'] * 1000:.2f}")
EOF
  resident "$name" quillane "$command"
  local i=5
  for peer in "${peers[@]}"; do
    resident "$name" "$peer" "${args[i]}"
    i=$((i + 3))
  done
}

# resident NAME WHO COMMAND: the peak resident size in MB of one run.
resident() {
  rm -rf "$work"/out*
  /usr/bin/time -o "$work/rss" -f "%M" sh -c "$3" >/dev/null 2>"$work/err" ||
    { echo "compare: failed: $3" >&2; cat "$work/err" >&2; exit 1; }
  printf "%s\trss\t%s\t%.1f\n" "$1" "$2" "$(awk -v k="$(tail -n 1 "$work/rss")" 'BEGIN { print k / 1024 }')" >>"$results"
}

L=$(duration "$hour")
q=$(printf %q "$cli") h=$(printf %q "$hour")
echo "timing on $hour ($L s, $(stat -c %s "$hour") bytes), $(nproc) cores..." >&2
compare version "$runs" "$q --version" mpg123 "mpg123 --version"
compare info "$runs" "$q info $(printf %q "$minute")" mpg123 "mpg123 --version"
compare info-hour "$runs" "$q info $h" mpg123 "mpg123 --version"
# A save is durable (its data is synced before the rename): `cat` and `sync` of
# the copy is the floor for that, beside the plain copy.
durable_copy="cat $h > $work/out.mp3 && sync $work/out.mp3"
compare save "$runs" "$q save $h -o $work/out.mp3 $(save_args "$L")" cat "cat $h > $work/out.mp3" \
  cat+sync "$durable_copy"
compare split "$runs" "$q split $h --dir $work/out $(split_cues "$L")" \
  cat "cat $h > $work/out.mp3" \
  cat+sync "$durable_copy" \
  mp3splt "mp3splt -f -d $work/out $h $(mp3splt_points "$L") >/dev/null 2>&1"
compare selection "$runs" "$q save $h -o $work/out.mp3 $(selection_args "$L")" \
  ffmpeg "ffmpeg -v error -ss $(at "$L" 0.1667) -to $(at "$L" 0.8333) -i $h -c copy $work/out.mp3"
compare normalize-mpg123 "$scan_runs" "$q normalize $h --decoder mpg123" mpg123 "mpg123 -q -t $h"
compare pauses-mpg123 "$scan_runs" "$q pauses $h --decoder mpg123" mpg123 "mpg123 -q -t $h"
compare normalize-ffmpeg "$scan_runs" "$q normalize $h --decoder system" ffmpeg "ffmpeg -v error -i $h -f null -"
compare pauses-ffmpeg "$scan_runs" "$q pauses $h --decoder system" ffmpeg "ffmpeg -v error -i $h -f null -"

# The window: start to the first painted view of the hour file, beside an empty
# QMainWindow (bench/window_start.sh), when the benchmark programs are built.
bench_dir=${QUILLANE_BENCH_DIR:-build/bench/bench}
if [ -x "$bench_dir/window_start_bench" ] && [ -x "$bench_dir/empty_window_bench" ]; then
  echo "timing the window's start-up..." >&2
  QUILLANE_BENCH_DIR=$bench_dir bench/window_start.sh "$hour" "$runs" |
    while read -r who ms mb; do
      printf "window\ttime\t%s\t%s\nwindow\trss\t%s\t%s\n" "$who" "$ms" "$who" "$mb"
    done >>"$results"
fi

# Flat in the file's size: the same commands on 1 minute, 1 hour and 10 hours.
echo "resident sizes at 1 minute, 1 hour, 10 hours..." >&2
for file in "$minute" "$hour" "$ten"; do
  size=$(basename "$file" .mp3)
  l=$(duration "$file")
  f=$(printf %q "$file")
  resident "info@$size" quillane "$q info $f"
  resident "save@$size" quillane "$q save $f -o $work/out.mp3 $(save_args "$l")"
  resident "split@$size" quillane "$q split $f --dir $work/out $(split_cues "$l")"
  resident "selection@$size" quillane "$q save $f -o $work/out.mp3 $(selection_args "$l")"
  resident "normalize@$size" quillane "$q normalize $f --decoder mpg123"
  resident "pauses@$size" quillane "$q pauses $f --decoder mpg123"
done

python3 bench/compare_table.py "$results" "$(nproc)" "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
