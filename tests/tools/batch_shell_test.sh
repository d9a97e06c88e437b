#!/bin/bash
# The batch tool at the shell: output that cannot be written (full device,
# closed standard output, a reader gone away) ends the run with exit status
# 1 and one line on standard error, and a co-process gets an answer to every
# line it sends, malformed or not, before it sends the next.
# Usage: batch_shell_test.sh PATH/TO/graspstat-batch
set -u
batch=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
pose='0 0 0 80 0 50'

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check_failed NAME STATUS REASON: status 1 and exactly one stderr line
# (in $tmp/err) naming standard output and the reason.
check_failed() {
  local lines
  lines=$(wc -l <"$tmp/err")
  [ "$2" = 1 ] || fail "$1: exit status $2, want 1"
  [ "$lines" = 1 ] || fail "$1: $lines lines on stderr, want 1: $(cat "$tmp/err")"
  grep -q "^graspstat-batch: cannot write standard output: $3\$" "$tmp/err" ||
    fail "$1: stderr '$(cat "$tmp/err")'"
}

# a full device
"$batch" keys ssSs >/dev/full 2>"$tmp/err"
check_failed "keys >/dev/full" $? "No space left on device"
"$batch" solve --hand 0,0 --work 0,80,0 --radius 50 >/dev/full 2>"$tmp/err"
check_failed "solve >/dev/full" $? "No space left on device"
printf '%s\n1 2 3\n' "$pose" | "$batch" solve --stdin >/dev/full 2>"$tmp/err.all"
status=$?
grep -v "line 2:" "$tmp/err.all" >"$tmp/err"
check_failed "solve --stdin >/dev/full" $status "No space left on device"
"$batch" --help >/dev/full 2>"$tmp/err"
check_failed "--help >/dev/full" $? "No space left on device"

# standard output closed
"$batch" keys ssSs >&- 2>"$tmp/err"
check_failed "keys, stdout closed" $? "Bad file descriptor"
echo "$pose" | "$batch" solve --stdin >&- 2>"$tmp/err"
check_failed "solve --stdin, stdout closed" $? "Bad file descriptor"

# a reader that goes away, SIGPIPE ignored: the endless stream stops at the
# first failed write
(
  trap '' PIPE
  yes "$pose" 2>/dev/null | timeout 60 "$batch" solve --stdin 2>"$tmp/err" | head -1 >"$tmp/first"
  echo "${PIPESTATUS[1]}" >"$tmp/status"
)
check_failed "solve --stdin | head -1" "$(cat "$tmp/status")" "Broken pipe"
grep -q '^{"alHand":0.0,' "$tmp/first" || fail "head -1 got '$(cat "$tmp/first")'"

# a co-process: each answer arrives while standard input stays open
coproc solver { "$batch" solve --stdin 2>/dev/null; }
pid=$solver_PID
echo '1 2 3' >&"${solver[1]}"
read -r -t 30 answer <&"${solver[0]}" || answer="(no answer)"
[ "$answer" = '{"line":1,"error":"expected 6 numbers, got 3 (want AL BET X Y Z R)"}' ] ||
  fail "co-process, malformed line: $answer"
echo "$pose" >&"${solver[1]}"
read -r -t 30 answer <&"${solver[0]}" || answer="(no answer)"
[ "${answer:0:13}" = '{"alHand":0.0' ] || fail "co-process, pose: ${answer:0:60}"
eval "exec ${solver[1]}>&-"
wait "$pid"
status=$?
[ "$status" = 2 ] || fail "co-process: exit status $status, want 2"

[ "$failures" = 0 ] && echo "all passed"
exit $((failures > 0))
