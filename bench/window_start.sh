#!/usr/bin/env bash
# The window's start-up beside a minimal Qt Widgets program: from the moment the
# runner starts each program to the first paint of its view (the graph view with
# FILE open; the QMainWindows' central widgets), as each program reports it
# (bench/first_paint.h). Runs them in turn, RUNS times each, under one Xvfb
# server when xvfb-run is there (else Qt's offscreen platform), and prints the
# medians in ms and the peak resident sizes in MB, one line each:
#   quillane MS MB
#   empty MS MB      (an empty QMainWindow)
#   text MS MB       (the same with a menu bar and a status line)
#
#   bench/window_start.sh FILE [RUNS]
# QUILLANE_BENCH_DIR   where the benchmark programs are (default build/bench/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
file=$1 runs=${2:-15}
dir=${QUILLANE_BENCH_DIR:-build/bench/bench}
if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  if command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
  export QT_QPA_PLATFORM=offscreen
fi
[ -n "${DISPLAY:-}" ] && export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-xcb}

# first_paint PROGRAM [ARGS]: the program's own figure, in ms.
first_paint() { QUILLANE_START_US=${EPOCHREALTIME/./} "$@"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first_paint "$dir/window_start_bench" "$file" >/dev/null  # warm the cache
first_paint "$dir/empty_window_bench" >/dev/null
for _ in $(seq "$runs"); do
  first_paint "$dir/window_start_bench" "$file" >>"$work/quillane"
  first_paint "$dir/empty_window_bench" >>"$work/empty"
  first_paint "$dir/empty_window_bench" --text >>"$work/text"
done
rss() { /usr/bin/time -f "%M" -o "$work/rss" "$@" >/dev/null && awk '{ printf "%.1f", $1 / 1024 }' "$work/rss"; }
echo "quillane $(median <"$work/quillane") $(QUILLANE_START_US=0 rss "$dir/window_start_bench" "$file")"
echo "empty $(median <"$work/empty") $(QUILLANE_START_US=0 rss "$dir/empty_window_bench")"
echo "text $(median <"$work/text") $(QUILLANE_START_US=0 rss "$dir/empty_window_bench" --text)"
