#!/usr/bin/env bash
# Saves under stress, as a careless user and a hostile machine make them: killed
# with SIGKILL, interrupted with SIGINT/SIGTERM, two at once over the same file, on
# a full disk. Whatever happens, a file holds either its old contents or one whole
# new result, and every failure exits 1 with one line on stderr.
#
#   tests/robustness.sh QUILLANE-CLI DATA-DIR [RUNS]
set -uo pipefail

cli=$1
data=$2
runs=${3:-20}
work=$(mktemp -d)
mounted=""
cleanup() {
  # A background command that a signal reaches before it has started the program
  # is still a copy of this shell, with this trap: only the script itself cleans up.
  [ "$BASHPID" = "$$" ] || return 0
  [ -n "$mounted" ] && umount -l "$mounted" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A 19 MB source: the test file 400 times over (about 20 minutes of audio).
source=$work/long.mp3
for _ in $(seq 400); do cat "$data/cbr128_notag.mp3"; done >"$source"
original=$(sha256sum <"$source" | cut -d' ' -f1)

# What each edit gives, and what the two give one after the other.
"$cli" save "$source" -o "$work/r1.mp3" --cut 10-20 >/dev/null || fail "reference save 1"
"$cli" save "$source" -o "$work/r2.mp3" --cut 100-200 >/dev/null || fail "reference save 2"
"$cli" save "$work/r1.mp3" -o "$work/r12.mp3" --cut 100-200 >/dev/null || fail "reference save 12"
"$cli" save "$work/r2.mp3" -o "$work/r21.mp3" --cut 10-20 >/dev/null || fail "reference save 21"
declare -A outcome=(
  ["$original"]=old
  ["$(sha256sum <"$work/r1.mp3" | cut -d' ' -f1)"]=first
  ["$(sha256sum <"$work/r2.mp3" | cut -d' ' -f1)"]=second
  ["$(sha256sum <"$work/r12.mp3" | cut -d' ' -f1)"]=both
  ["$(sha256sum <"$work/r21.mp3" | cut -d' ' -f1)"]=both
)
state() { echo "${outcome[$(sha256sum <"$1" | cut -d' ' -f1)]:-damaged}"; }

# --- SIGKILL in the middle of a save over the source -------------------------
intact=0
for i in $(seq "$runs"); do
  cp "$source" "$work/kill.mp3"
  "$cli" save "$work/kill.mp3" -o "$work/kill.mp3" --force --cut 10-20 >/dev/null 2>&1 &
  pid=$!
  sleep "0.0$((RANDOM % 9))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  case $(state "$work/kill.mp3") in
    old | first) intact=$((intact + 1)) ;;
    *) fail "SIGKILL run $i left a damaged file" ;;
  esac
  rm -f "$work"/kill.mp3*  # a killed process can't remove its temporary file
done
echo "SIGKILL during a save over the source: $intact of $runs runs left the old file or the whole new one"

# --- SIGINT and SIGTERM: the temporary file goes, the exit is non-zero ----------
clean=0
for signal in INT TERM; do
  for i in $(seq $((runs / 2))); do
    rm -f "$work/new.mp3"
    mkdir -p "$work/signal" && rm -f "$work/signal"/*
    "$cli" save "$source" -o "$work/signal/new.mp3" --cut 10-20 >/dev/null 2>&1 &
    pid=$!
    sleep "0.0$((RANDOM % 5))"
    kill -"$signal" "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    left=$(ls -A "$work/signal")
    if [ "$status" -ne 0 ] && [ -z "$left" ]; then
      clean=$((clean + 1))
    elif [ "$left" = "new.mp3" ] && [ "$(state "$work/signal/new.mp3")" = first ]; then
      # Finished before the signal came, or between the rename and the exit (then
      # the exit status still says that the program was interrupted).
      clean=$((clean + 1))
    else
      fail "SIG$signal run $i: exit $status, left: $left"
    fi
  done
done
echo "SIGINT/SIGTERM during a save: $clean of $(((runs / 2) * 2)) runs left nothing behind (or had finished)"

# --- Two saves over the same source at once ----------------------------------
whole=0
losers=0
for i in $(seq "$runs"); do
  cp "$source" "$work/race.mp3"
  "$cli" save "$work/race.mp3" -o "$work/race.mp3" --force --cut 10-20 >"$work/a.out" 2>"$work/a.err" &
  a=$!
  "$cli" save "$work/race.mp3" -o "$work/race.mp3" --force --cut 100-200 >"$work/b.out" 2>"$work/b.err" &
  b=$!
  wait "$a"; sa=$?
  wait "$b"; sb=$?
  result=$(state "$work/race.mp3")
  case $result in
    first | second | both) whole=$((whole + 1)) ;;
    *) fail "race run $i: the file is $result" ;;
  esac
  for who in a b; do
    s=$([ $who = a ] && echo $sa || echo $sb)
    if [ "$s" -ne 0 ]; then
      losers=$((losers + 1))
      [ "$(wc -l <"$work/$who.err")" -eq 1 ] || fail "race run $i: the loser's stderr is not one line"
      [ -s "$work/$who.out" ] && fail "race run $i: the loser printed on stdout"
    fi
  done
  [ "$sa" -ne 0 ] && [ "$sb" -ne 0 ] && fail "race run $i: both saves failed"
  leftovers=$(ls -A "$work" | grep -c '^race\.mp3\.~~~')
  [ "$leftovers" -eq 0 ] || fail "race run $i left $leftovers temporary files"
  rm -f "$work"/race.mp3*
done
echo "Two saves over one source at once: the file was whole in $whole of $runs runs; $losers saves lost the race and said so"

# --- A full disk --------------------------------------------------------------
disk=$work/disk
mkdir -p "$disk"
if mount -t tmpfs -o size=4m tmpfs "$disk" 2>/dev/null; then
  mounted=$disk
  head -c 3000000 /dev/urandom >"$disk/existing.mp3"
  before=$(sha256sum <"$disk/existing.mp3")
  cp "$data/id3v1.mp3" "$disk/album.mp3"
  album=$(sha256sum <"$disk/album.mp3")
  checks=0
  expect_failure() {  # name, then the command
    local name=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local status=$?
    if [ "$status" -ne 1 ] || [ "$(wc -l <"$work/err")" -ne 1 ] || ! grep -q 'No space left on device' "$work/err"; then
      fail "full disk, $name: exit $status, stderr: $(cat "$work/err")"
    fi
    checks=$((checks + 1))
  }
  expect_failure "save --force over an existing file" "$cli" save "$source" -o "$disk/existing.mp3" --force
  expect_failure "append" "$cli" save "$source" -o "$disk/album.mp3" --append
  expect_failure "decode" "$cli" decode "$source" -o "$disk/out.wav" --selection 0-30 --decoder mpg123
  expect_failure "split" "$cli" split "$source" --dir "$disk/pieces" --cue 5:00 --cue 10:00
  [ "$(sha256sum <"$disk/existing.mp3")" = "$before" ] || fail "full disk: the existing file changed"
  [ "$(sha256sum <"$disk/album.mp3")" = "$album" ] || fail "full disk: the appended file changed"
  left=$(ls -A "$disk" | grep -v -x -e existing.mp3 -e album.mp3 -e pieces)
  [ -z "$left" ] || fail "full disk: left behind: $left"
  [ -z "$(ls -A "$disk/pieces" 2>/dev/null | grep -v '^Track 01.mp3$')" ] || fail "full disk: partial pieces: $(ls "$disk/pieces")"
  echo "A full disk: $checks failing writes, each one line on stderr; the existing files unchanged, nothing partial left"
else
  echo "A full disk: skipped (no tmpfs mount here)"
fi

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
[ "$failures" -eq 0 ]
