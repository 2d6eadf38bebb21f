#!/usr/bin/env bash
# End to end: Ctrl-C (SIGINT), SIGTERM and SIGHUP given to 'qv3 write' against qv3sim, before and during the write.
#
#   qv3_write_interrupted.sh --qv3 PATH --qv3sim PATH --work DIR
#
# One signal while the image goes out lets the write finish: the simulator
# holds exactly 'qv3 encode's bytes. A second one abandons it (exit 130). One
# during the version query ends qv3 at once with no write command sent. A
# terminal that hangs up under the write (its lines then fail with EIO) ends
# nothing either.
set -uo pipefail
# Job control, so that the background qv3 hears SIGINT as it would from a terminal.
set -m

qv3="" qv3sim="" work=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --qv3) qv3=$2; shift 2 ;;
    --qv3sim) qv3sim=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "usage: $0 --qv3 PATH --qv3sim PATH --work DIR" >&2; exit 2 ;;
  esac
done
[[ -n "$qv3" && -n "$qv3sim" && -n "$work" ]] || { echo "$0: --qv3, --qv3sim and --work are required" >&2; exit 2; }
# The writes keep their images in a history of this run's own.
export XDG_DATA_HOME="$work/data"

rm -rf "$work" && mkdir -p "$work"
link="$work/tracker"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/sim_session.sh"
qv3_pid=""

stop_all() {
  [[ -n "$qv3_pid" ]] && kill -KILL "$qv3_pid" 2>/dev/null
  sim_stop
}
trap stop_all EXIT

# start_sim ARGS...: a model 4 tracker, its image kept as it was at start.
start_sim() {
  stop_all
  sim_start --model 4 "$@" && cp "$work/held.img" "$work/initial.img"
}

# The old run's lines go first: the background job empties the file only once
# it runs, and wait_for must not take the last run's "Writing Config" for its own.
# The trace gives each byte's time on qv3's side, the simulator's log on its own.
start_write() {
  : >"$work/write.err"
  # A job started in the background by a shell without job control has
  # SIGINT ignored, and qv3 keeps a signal it was started without: give it
  # back the default handling, as an interactive terminal would.
  env --default-signal=INT,HUP,TERM "$qv3" write --port "$link" "$work/changed.txt" --yes --trace "$work/trace.txt" \
    >/dev/null 2>"$work/write.err" &
  qv3_pid=$!
}

# keep_case_logs CASE: a failed case's files kept in $work/failed-CASE/, the
# ends of its logs shown, and the longest pause in the simulator's answers:
# qv3 judges a read-back that falls silent for about 0.3 s as ended.
keep_case_logs() {
  local kept="$work/failed-$1" log
  mkdir -p "$kept" && cp "$work"/{write.err,trace.txt,sim.log,sim.out} "$kept/" 2>/dev/null
  for log in trace.txt sim.log; do
    echo "  --- $kept/$log"
    tail -n 5 "$work/$log" 2>&1 | sed 's/^/    /'
  done
  awk '/ tx / { if (last != "" && $1 - last > pause) { pause = $1 - last; at = last }; last = $1 }
       / rx / { last = "" }
       END { printf "  the simulator'"'"'s longest pause within an answer: %d ms, after %d ms\n", pause, at }' "$work/sim.log"
}

# wait_for TEXT: until qv3 has printed a line holding TEXT (at most 30 s).
wait_for() {
  for _ in $(seq 600); do
    grep -qF "$1" "$work/write.err" 2>/dev/null && return 0
    kill -0 "$qv3_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# finish_qv3: waits for qv3 (at most 30 s) and sets rc to its exit code.
finish_qv3() {
  for _ in $(seq 600); do
    kill -0 "$qv3_pid" 2>/dev/null || break
    sleep 0.05
  done
  wait "$qv3_pid"
  rc=$?
  qv3_pid=""
}

last_line_is() { tail -n 1 "$work/write.err" | grep -qxF "$1"; }

cat >"$work/changed.txt" <<SETTINGS
primary.callsign = "K1ABC-7"
secondary.status_text = "Interrupted"
SETTINGS
"$qv3" encode --model 4 "$work/changed.txt" -o "$work/expected.img" 2>/dev/null

finishing="Finishing the write (press Ctrl-C again to abandon it)"
declare -A delay=([write]=0 [query]=3000) first_line=([write]="Writing Config" [query]="Reading Version")
declare -A last_line=([write 0]="Config Written Successfully!" [query 130]="qv3: interrupted; nothing more was sent to the tracker"
  [write 130]="Write abandoned: the tracker may hold an incomplete configuration. Write it again.")
# Each case: when the first signal goes (while the image goes out, or during the version query, which the
# simulator answers late), the exit code, the image the simulator then holds, and the signals; a second one
# goes once qv3 says it is finishing the write.
for row in "write 0 expected INT" "write 0 expected HUP" "write 0 expected TERM" "write 130 initial INT TERM" \
  "write 0 expected HUP HUP" "write 130 initial HUP TERM" "query 130 initial INT" "query 130 initial HUP"; do
  read -r when want_rc want_image first second <<<"$row"
  start_sim --reply-delay "${delay[$when]}" && start_write && wait_for "${first_line[$when]}" && kill -"$first" "$qv3_pid" &&
    { [[ -z $second ]] || { wait_for "$finishing" && kill -"$second" "$qv3_pid"; }; }
  finish_qv3
  last_line_is "${last_line[$when $want_rc]}" && { [[ $want_rc != 0 ]] || grep -qxF "$finishing" "$work/write.err"; } &&
    { [[ $when == write ]] || ! grep -qE " rx 44( |$)" "$work/sim.log"; }  # 44: the 'D' of the write command
  ok=$?
  cmp -s "$work/held.img" "$work/$want_image.img"
  status=$(( (rc == want_rc ? 0 : 1) | ok | $? ))
  check "SIG$first${second:+ then SIG$second} during the $when: exit $want_rc, the simulator holds the $want_image image" \
    $status "rc $rc: $(tail -n 2 "$work/write.err")"
  [[ $status -eq 0 ]] || keep_case_logs "$when-$first${second:+-$second}"
done
# The port was closed and released: the next qv3 opens it.
timeout 60 "$qv3" tone --port "$link" stop >/dev/null 2>"$work/tone.err"
check "the port opens again after the interrupt" $? "$(tail -n 1 "$work/tone.err")"

# Standard error on a terminal that hangs up under the write: its lines fail with EIO from then on.
start_sim && python3 - "$qv3" "$link" "$work/changed.txt" <<'HANGUP'
import os, pty, signal, subprocess, sys
master, slave = pty.openpty()
qv3 = subprocess.Popen([sys.argv[1], "write", "--port", *sys.argv[2:], "--yes"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=slave)
os.close(slave)
seen = b""
while b"Writing Config" not in seen:
    seen += os.read(master, 256)
os.close(master)
qv3.send_signal(signal.SIGHUP)
sys.exit(qv3.wait(60))
HANGUP
rc=$?
cmp -s "$work/held.img" "$work/expected.img"
check "SIGHUP from a hung-up terminal: exit 0, the simulator holds the expected image" $(( (rc == 0 ? 0 : 1) | $? )) "rc $rc"

stop_all
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
