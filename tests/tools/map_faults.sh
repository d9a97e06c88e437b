#!/bin/bash
# A map that cannot finish: its files too large for the file size limit or
# for the device, the run ended by a signal, a signal or a failure amid the
# final renames. Each time the real reason is reported (or the signal ends
# the run) and no file is left behind or half replaced.
#   map_faults.sh BATCH WORKDIR
set -u
batch=$1
work=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
rm -rf "$work" && mkdir -p "$work" || exit 1
grid=(--x x:-60:60:100 --y y:50:110:100) # about 700 KB of table

# Exit status 1, one line naming the file and the reason, nothing left in dir.
expect_write_failure() { # DIR NAME REASON STATUS ERRFILE
  local dir=$1 name=$2 reason=$3 status=$4 err=$5
  [ "$status" -eq 1 ] || fail "$reason: exit status $status, expected 1"
  local want="graspstat-batch: cannot write $dir/$name: $reason"
  [ "$(cat "$err")" = "$want" ] || fail "stderr '$(cat "$err")', expected '$want'"
  [ -z "$(ls -A "$dir")" ] || fail "$reason: left $(ls -A "$dir" | tr "\n" " ")"
}

# the table outgrows the file size limit (the writing threads see EFBIG)
mkdir -p "$work/limit"
(trap '' XFSZ && ulimit -f 64 && exec "$batch" map "${grid[@]}" --threads 2 \
  --out "$work/limit/m") 2>"$work/limit.err"
expect_write_failure "$work/limit" m.csv "File too large" $? "$work/limit.err"

# a small device: first too small for the table, then for the picture
if mkdir -p "$work/dev" && mount -t tmpfs -o size=64k tmpfs "$work/dev" 2>/dev/null; then
  "$batch" map "${grid[@]}" --threads 2 --out "$work/dev/m" 2>"$work/dev.err"
  expect_write_failure "$work/dev" m.csv "No space left on device" $? "$work/dev.err"
  umount "$work/dev"
  "$batch" map "${grid[@]}" --out "$work/whole" || fail "the map itself failed"
  room=$(($(stat -c %s "$work/whole.csv") / 1024 + 8))
  mount -t tmpfs -o size=${room}k tmpfs "$work/dev"
  "$batch" map "${grid[@]}" --threads 2 --out "$work/dev/m" 2>"$work/dev.err"
  expect_write_failure "$work/dev" m.png "No space left on device" $? "$work/dev.err"
  umount "$work/dev"
else
  echo "no tmpfs can be mounted here: the full device is not tried"
fi

# A signal removes the temporary files, then ends the run as it would have.
set -m      # background runs keep SIGINT
ulimit -c 0 # SIGQUIT ends it without a core file
for sig in INT TERM HUP QUIT USR1 USR2 ALRM PIPE; do
  dir="$work/$sig"
  mkdir -p "$dir"
  "$batch" map --x x:-60:60:2000 --y y:50:110:2000 --threads 1 --out "$dir/m" &
  pid=$!
  for _ in $(seq 200); do
    [ -n "$(ls "$dir")" ] && break
    sleep 0.05
  done
  sleep 0.3
  [ -n "$(ls "$dir")" ] || fail "$sig: no temporary file appeared"
  kill -s "$sig" "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq $((128 + $(kill -l "$sig"))) ] || fail "$sig: exit status $status"
  [ -z "$(ls -A "$dir")" ] || fail "$sig: left $(ls -A "$dir" | tr "\n" " ")"
done

# The three files change together or not at all: a signal that arrives
# during the renames ends the run once all three are in place, and a rename
# that fails takes back the others and puts the files they replaced back.
if strace -o /dev/null true 2>/dev/null; then
  # the leak check of a sanitizer build cannot run under a tracer
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  small=(--y y:50:110:4 --threads 1)
  mkdir -p "$work/old" "$work/new"
  "$batch" map --x x:-60:60:5 "${small[@]}" --out "$work/old/m" &&
    "$batch" map --x z:-20:20:5 "${small[@]}" --out "$work/new/m" || fail "the maps failed"
  same_files() { # DIR REF WHAT: DIR holds exactly the three files of REF
    for f in m.csv m.png m.json; do
      cmp -s "$1/$f" "$2/$f" || fail "$3: $f is not that of $2"
    done
    [ "$(ls -A "$1" | wc -l)" -eq 3 ] || fail "$3: left $(ls -A "$1" | tr "\n" " ")"
  }
  rm -rf "$work/held" && cp -r "$work/old" "$work/held"
  strace -o /dev/null -e trace=rename -e inject=rename:signal=TERM:when=2 \
    "$batch" map --x z:-20:20:5 "${small[@]}" --out "$work/held/m"
  status=$?
  [ "$status" -eq 143 ] || fail "TERM in the renames: exit status $status"
  same_files "$work/held" "$work/new" "TERM in the renames"
  rm -rf "$work/back" && cp -r "$work/old" "$work/back"
  strace -o /dev/null -e trace=rename -e inject=rename:error=EACCES:when=3 \
    "$batch" map --x z:-20:20:5 "${small[@]}" --out "$work/back/m" 2>"$work/back.err"
  status=$?
  [ "$status" -eq 1 ] || fail "a failed rename: exit status $status"
  want="graspstat-batch: cannot write $work/back/m.json: Permission denied"
  [ "$(cat "$work/back.err")" = "$want" ] || fail "stderr '$(cat "$work/back.err")'"
  same_files "$work/back" "$work/old" "a failed rename"
else
  echo "no process can be traced here: the renames are not tried"
fi

[ "$failures" -eq 0 ] && echo "all map faults handled"
exit $((failures > 0))
