#!/usr/bin/env bash
# End to end: Ctrl-C (SIGINT) and SIGTERM given to 'qv3 write' against qv3sim, before and during the write.
#
#   qv3_write_interrupted.sh --qv3 PATH --qv3sim PATH --work DIR
#
# One interrupt while the image goes out lets the write finish: the simulator
# holds exactly 'qv3 encode's bytes. A second one abandons it (exit 130). One
# during the version query ends qv3 at once with no write command sent.
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

rm -rf "$work" && mkdir -p "$work"
link="$work/tracker"
passed=0 failed=0
sim_pid="" qv3_pid=""

stop_all() {
  [[ -n "$qv3_pid" ]] && kill -KILL "$qv3_pid" 2>/dev/null
  if [[ -n "$sim_pid" ]]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}
trap stop_all EXIT

start_sim() {
  stop_all
  "$qv3sim" --model 4 --link "$link" --image-out "$work/held.img" --log "$work/sim.log" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q . "$work/sim.out" 2>/dev/null && [[ -e "$link" ]] && { cp "$work/held.img" "$work/initial.img"; return 0; }
    sleep 0.05
  done
  echo "qv3sim did not start: $(cat "$work/sim.out")" >&2
  return 1
}

check() {  # check NAME CONDITION-EXIT-CODE [DETAIL]
  if [[ $2 -eq 0 ]]; then
    echo "ok     $1"
    passed=$((passed + 1))
  else
    echo "FAILED $1 ${3:-}"
    failed=$((failed + 1))
  fi
}

start_write() {
  "$qv3" write --port "$link" "$work/changed.txt" --yes >/dev/null 2>"$work/write.err" &
  qv3_pid=$!
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

start_sim
start_write
wait_for "Writing Config" && kill -INT "$qv3_pid"
finish_qv3
grep -qxF "Finishing the write (press Ctrl-C again to abandon it)" "$work/write.err" && last_line_is "Config Written Successfully!"
ok=$?
cmp -s "$work/held.img" "$work/expected.img"
check "one SIGINT during the write: it finishes, exit 0, the simulator holds encode's bytes" \
  $(( (rc == 0 ? 0 : 1) | ok | $? )) "rc $rc: $(tail -n 2 "$work/write.err")"

start_sim
start_write
wait_for "Writing Config" && kill -INT "$qv3_pid" && wait_for "Finishing the write" && kill -TERM "$qv3_pid"
finish_qv3
last_line_is "Write abandoned: the tracker may hold an incomplete configuration. Write it again."
ok=$?
# The simulator keeps only a complete image.
! grep -q "write 1 stored" "$work/sim.log" && cmp -s "$work/held.img" "$work/initial.img"
check "SIGINT then SIGTERM during the write: abandoned, exit 130" \
  $(( (rc == 130 ? 0 : 1) | ok | $? )) "rc $rc: $(tail -n 2 "$work/write.err")"

# The answer comes late, so the interrupt falls into the version query.
start_sim --reply-delay 3000
start_write
wait_for "Reading Version" && kill -INT "$qv3_pid"
finish_qv3
# 44 is the 'D' of the write command.
! grep -qE " rx 44( |$)" "$work/sim.log" && cmp -s "$work/held.img" "$work/initial.img"
check "SIGINT before the first image byte: exit 130, no write command sent" \
  $(( (rc == 130 ? 0 : 1) | $? )) "rc $rc: $(tail -n 2 "$work/write.err")"
# The port was closed and released: the next qv3 opens it.
timeout 60 "$qv3" tone --port "$link" stop >/dev/null 2>"$work/tone.err"
check "the port opens again after the interrupt" $? "$(tail -n 1 "$work/tone.err")"

stop_all
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
