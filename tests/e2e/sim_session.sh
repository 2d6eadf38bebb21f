# Sourced by the end-to-end scripts: qv3sim on a link in $work, and the pass/fail tally.
#
# The sourcing script sets qv3sim, work and link; sim_pid, passed and failed
# are kept here. sim_stop is the script's own EXIT trap or part of it.

sim_pid="" passed=0 failed=0

sim_stop() {
  if [[ -n "$sim_pid" ]]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}

# sim_start ARGS...: a new qv3sim on the link, once it has said it is ready.
sim_start() {
  sim_stop
  "$qv3sim" --link "$link" --image-out "$work/held.img" --log "$work/sim.log" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q . "$work/sim.out" 2>/dev/null && [[ -e "$link" ]] && return 0
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
