#!/usr/bin/env bash
# End to end: qv3 (native, or the Windows build under Wine) against qv3sim on a pseudo-terminal.
#
#   qv3_against_qv3sim.sh --qv3 PATH --qv3sim PATH|auto --work DIR [--wine]
#                         [--serial-test PATH] [--models "1 2 3 4 5 6"]
#                         [--part models|faults]
#
# For every model: 'qv3 read' prints exactly what 'qv3 decode' prints for the
# simulator's image, and 'qv3 write' of a changed configuration leaves the
# simulator holding exactly 'qv3 encode's bytes. Then the fault cases: a
# refused question sends nothing, --silent, --only-baud 9600, sources that set
# nothing, trace and output failures, files in a folder with a name outside
# every 8-bit code page, and --stream; 'qv3 ports --probe' names the
# simulator's model, and bash completion offers what 'qv3 ports' lists.
# With --wine, COM1 of a Wine prefix of its own is mapped to the simulator's
# link, and --serial-test names the Windows serial port test to run against it.
# "--qv3sim auto" takes the native build's qv3sim. --part runs only the
# models' round trips or only the rest, so that two runs share the time.
set -uo pipefail

qv3="" qv3sim="" work="" wine=0 models="1 2 3 4 5 6" serial_test="" part=all
while [[ $# -gt 0 ]]; do
  case "$1" in
    --qv3) qv3=$2; shift 2 ;;
    --qv3sim) qv3sim=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --wine) wine=1; shift ;;
    --models) models=$2; shift 2 ;;
    --serial-test) serial_test=$2; shift 2 ;;
    --part) part=$2; shift 2 ;;
    *) echo "usage: $0 --qv3 PATH --qv3sim PATH --work DIR [--wine] [--models LIST] [--part models|faults]" >&2; exit 2 ;;
  esac
done
[[ -n "$qv3" && -n "$qv3sim" && -n "$work" ]] || { echo "$0: --qv3, --qv3sim and --work are required" >&2; exit 2; }
case "$part" in
  all) ;;
  models) serial_test="" ;;
  faults) models="" ;;
  *) echo "$0: --part is models or faults" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
if [[ "$qv3sim" == auto ]]; then
  for tree in native sanitize dev; do
    [[ -x "$root/build/$tree/bin/qv3sim" ]] && { qv3sim="$root/build/$tree/bin/qv3sim"; break; }
  done
fi
if [[ ! -x "$qv3sim" ]]; then
  echo "$0: no qv3sim at $qv3sim (build the native tree first)" >&2
  exit 1
fi

rm -rf "$work" && mkdir -p "$work"
link="$work/tracker"
# Reads and writes keep their images in a history of this run's own.
export XDG_DATA_HOME="$work/data"
source "$here/sim_session.sh"
trap sim_stop EXIT

port="$link"
run_qv3() {
  if [[ $wine -eq 1 ]]; then
    timeout 60 "$root/scripts/wine-run" "$qv3" "$@"
  else
    timeout 60 "$qv3" "$@"
  fi
}

if [[ $wine -eq 1 ]]; then
  # Wine reads the names it is given in the locale's encoding: UTF-8, as on disk.
  locale -a 2>/dev/null | grep -qix 'C.utf-\{0,1\}8' && export LC_ALL=C.UTF-8
  # The prefix's COM1 leads to the link; wineserver reads the mapping at start.
  export WINEPREFIX="$work/wine-prefix"
  timeout 120 "$root/scripts/wine-run" --init >/dev/null 2>&1
  WINEDEBUG=-all timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$link" /f >/dev/null 2>&1
  # Let the server end by itself so that it saves the registry; the next
  # start reads the mapping.
  timeout 60 wineserver -w 2>/dev/null
  if ! grep -qF "$link" "$WINEPREFIX/system.reg"; then
    echo "FAILED COM1 could not be mapped to $link in $WINEPREFIX"
    exit 1
  fi
  port=COM1
  trap 'sim_stop; wineserver -k 2>/dev/null' EXIT
fi

cat >"$work/changed.txt" <<SETTINGS
primary.callsign = "K1ABC-7"
primary.path = "WIDE2-2"
secondary.status_text = "Out hiking"
primary.frequency_mhz = 146.52
primary.time_slot_enable = 1
SETTINGS

# newest_kept KIND IMAGE: the newest entry 'qv3 history' lists is of KIND and
# holds IMAGE, byte for byte, after the .qv3 file's 8-byte head.
newest_kept() {
  local line file
  line=$(run_qv3 history | head -n 1)
  file=${line##*  }
  [[ "$line" == *"  $1  "* ]] && cmp -s <(tail -c +9 "$file" | head -c "$(stat -c %s "$2")") "$2"
  check "${model:+model $model: }the $1 image kept in the history" $? "$line"
}

for model in $models; do
  sim_start --model "$model" || { check "model $model: simulator" 1; continue; }
  cp "$work/held.img" "$work/initial.img"
  run_qv3 decode --model "$model" "$work/initial.img" >"$work/expected.txt" 2>"$work/decode.err"
  decoded=$?
  run_qv3 read --port "$port" >"$work/read.txt" 2>"$work/read.err"
  rc=$?
  cmp -s <(tr -d '\r' <"$work/read.txt") <(tr -d '\r' <"$work/expected.txt")
  # An empty or failed decode says so, with decode's own words beside read's.
  check "model $model: read prints what decode prints" $((rc | decoded | $?)) \
    "$(tail -n 1 "$work/read.err"); decode exit $decoded, $(wc -l <"$work/expected.txt") lines:\
 $(tr -d '\r' <"$work/decode.err" | tail -n 2)"
  [[ $wine -eq 0 ]] && newest_kept read "$work/initial.img"

  run_qv3 write --port "$port" "$work/changed.txt" --yes >/dev/null 2>"$work/write.err"
  rc=$?
  rm -f "$work/expected.img"
  run_qv3 encode --model "$model" "$work/changed.txt" -o "$work/expected.img" 2>"$work/encode.err"
  encoded=$?
  tr -d '\r' <"$work/write.err" | tail -n 1 | grep -qx "Config Written Successfully!"
  ok=$?
  # A failure names its side: the write's last line, the encode's exit and
  # words, the simulator's own complaints and the first bytes that differ.
  check "model $model: write leaves the simulator holding encode's bytes" \
    $((rc | ok | encoded | $(cmp -s "$work/held.img" "$work/expected.img"; echo $?))) \
    "$(tail -n 1 "$work/write.err"); encode exit $encoded $(tr -d '\r' <"$work/encode.err" | tail -n 2)
    simulator: $(tail -n 2 "$work/sim.out") $(cmp -l "$work/held.img" "$work/expected.img" 2>&1 | head -n 4 | tr '\n' ' ')"
  [[ $wine -eq 0 ]] && newest_kept written "$work/held.img"
done

if [[ $part == models ]]; then
  sim_stop
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
  exit
fi

if [[ -n "$serial_test" ]]; then
  sim_start --model 4
  QV3_TEST_COM_PORT=COM1 timeout 120 "$root/scripts/wine-run" "$serial_test" >"$work/serial.out" 2>&1
  rc=$?
  ! grep -q "SKIPPED" "$work/serial.out"
  check "the Windows serial port talks to the simulator through COM1" $((rc | $?)) "$(tail -n 3 "$work/serial.out")"
fi

sim_start --model 4
# The link is not among the machine's ports, so it is named; under Wine the
# COM1 to COM20 listing finds it as COM1.
run_qv3 ports --probe "$port" >"$work/ports.out" 2>&1
rc=$?
tr -d '\r' <"$work/ports.out" | grep -qF "model 4 (Quorvale3 v1.4)"
check "ports --probe names the simulator's model" $((rc | $?)) "$(cat "$work/ports.out")"
if [[ $wine -eq 1 ]]; then
  run_qv3 ports >"$work/ports.out" 2>&1
  tr -d '\r' <"$work/ports.out" | grep -qx "COM1"
  check "ports lists the simulator's COM1" $? "$(cat "$work/ports.out")"
fi

# bash completion: a file name with spaces stays one word, and --port offers
# what 'qv3 ports' lists.
if [[ $wine -eq 0 ]]; then
  complete_qv3() {  # complete_qv3 WORD...: the completions of the last word
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qv3; printf "%s\n" "${COMPREPLY[@]}"' \
      _ "$root/packaging/completion/qv3" "$qv3" "$@"
  }
  mkdir -p "$work/a folder" && : >"$work/a folder/set one.txt"
  [[ "$(complete_qv3 show "$work/a folder/se")" == "$work/a folder/set one.txt" ]]
  check "completion keeps a file name with spaces whole" $? "$(complete_qv3 show "$work/a folder/se")"
  listed=$("$qv3" ports 2>/dev/null | cut -d' ' -f1)
  [[ -z "$listed" || "$(complete_qv3 read --port "")" == "$listed" ]]
  check "completion offers the ports 'qv3 ports' lists after --port" $? "$(complete_qv3 read --port "")"
fi

# A refused question sends nothing: not even the version query.
sim_start --model 4
printf 'primary.mic_e_message = 7\n' >"$work/emergency.txt"
echo cancel | run_qv3 write --port "$port" "$work/emergency.txt" >/dev/null 2>"$work/refused.err"
rc=$?
! grep -q " rx " "$work/sim.log"
check "a refused question exits 1 and sends nothing" $(( (rc == 1 ? 0 : 1) | $? ))
echo ok | run_qv3 write --port "$port" "$work/emergency.txt" >/dev/null 2>"$work/accepted.err"
check "an accepted question writes" $?

# The read before a write: the changes on standard output and the tracker's
# image kept first; --dry-run and a tracker that holds the configuration
# already write nothing; a copy that cannot be kept stops the write (unless
# --no-backup), and an image that cannot be read is written over only when
# that is answered yes.
if [[ $wine -eq 0 ]]; then
  sim_start --model 4
  cp "$work/held.img" "$work/before.img"
  run_qv3 write --port "$port" "$work/changed.txt" --dry-run >"$work/dry.out" 2>"$work/dry.err"
  rc=$?
  grep -qxF 'primary.callsign: "NOCALL" -> "K1ABC-7"' "$work/dry.out" && cmp -s "$work/held.img" "$work/before.img"
  check "--dry-run prints the changes and writes nothing" $((rc | $?)) "$(head -n 3 "$work/dry.out" "$work/dry.err")"
  newest_kept "before write" "$work/before.img"
  run_qv3 write --port "$port" "$work/changed.txt" --yes >/dev/null 2>&1 &&
    run_qv3 write --port "$port" "$work/changed.txt" </dev/null >"$work/same.out" 2>"$work/same.err"
  rc=$?
  [[ ! -s "$work/same.out" && "$(tail -n 1 "$work/same.err")" == "The tracker already holds this configuration" ]]
  check "a tracker that holds the configuration already is left alone (exit 0)" $((rc | $?)) "$(tail -n 1 "$work/same.err")"
  cp "$work/held.img" "$work/before.img"
  for backup in "" --no-backup; do
    XDG_DATA_HOME=/dev/null run_qv3 write --port "$port" "$work/emergency.txt" --yes $backup >/dev/null 2>"$work/kept.err"
    rc=$?
    if [[ -z $backup ]]; then
      [[ $rc -eq 1 && "$(tail -n 1 "$work/kept.err")" == "Could not keep the tracker's configuration before writing (/dev/null/"*"); nothing was written." ]] &&
        cmp -s "$work/held.img" "$work/before.img"
    else
      [[ $rc -eq 0 ]]
    fi
    check "a history that cannot be kept: ${backup:-no write}${backup:+ writes}" $? "rc $rc: $(tail -n 1 "$work/kept.err")"
  done
  sim_start --model 4 --short-image 200
  cp "$work/held.img" "$work/before.img"
  run_qv3 write --port "$port" "$work/changed.txt" </dev/null >/dev/null 2>"$work/unread.err"
  rc=$?
  grep -qF "could not be read (Corrupted EEPROM). Write without keeping it?" "$work/unread.err" &&
    [[ $rc -eq 1 && "$(tail -n 1 "$work/unread.err")" == "Write cancelled: the tracker is unchanged" ]] &&
    cmp -s "$work/held.img" "$work/before.img"
  check "an image that cannot be read is not written over unanswered" $? "rc $rc: $(tail -n 2 "$work/unread.err")"
fi

sim_start --model 4 --silent
run_qv3 read --port "$port" >/dev/null 2>"$work/silent.err"
rc=$?
tr -d '\r' <"$work/silent.err" | tail -n 1 | grep -qxF "Quorvale3 not found : ()"
check "--silent ends with 'Quorvale3 not found : ()'" $(( (rc == 1 ? 0 : 1) | $? ))

# A pulled cable part way through an image: qv3 gives up on the step that
# finds the line hung up, with the port-lost line last and exit 1, and the
# next read (the cable back in) works. The bound is generous: it includes
# the simulator's start, and only says that qv3 did not wait out its steps.
# Native only: Wine reads a hung-up pseudo-terminal as a quiet line, where
# Windows reports a pulled USB adapter with the errors the port maps to Gone.
lost_write="Port lost during the write: the tracker may hold an incomplete configuration. Write it again."
for verb in $([[ $wine -eq 0 ]] && echo read write); do
  before=$(date +%s%3N)
  sim_start --model 4 --hang-up-after 100
  args=(--port "$port")
  [[ $verb == write ]] && args+=("$work/changed.txt" --yes --no-backup)
  run_qv3 "$verb" "${args[@]}" >/dev/null 2>"$work/lost.err"
  rc=$?
  after=$(date +%s%3N)
  hung_up_at=$(sed -n 's/^ *\([0-9]*\) ms hung up$/\1/p' "$work/sim.log" | head -n 1)
  gave_up_ms=$((after - before - ${hung_up_at:-0}))
  last=$(tr -d '\r' <"$work/lost.err" | tail -n 1)
  if [[ $verb == read ]]; then [[ "$last" == "Port lost during the read ("*")" ]]; else [[ "$last" == "$lost_write" ]]; fi
  said=$?
  [[ -n "$hung_up_at" && $gave_up_ms -le 3000 ]]
  check "a cable pulled during $verb: exit 1, '$last', given up ${gave_up_ms} ms after" \
    $(( (rc == 1 ? 0 : 1) | said | $? )) "hung up at '${hung_up_at}' ms"
  run_qv3 read --port "$port" >/dev/null 2>"$work/back.err"
  rc=$?
  tr -d '\r' <"$work/back.err" | tail -n 1 | grep -qxF "Read Config Successful"
  check "after the cable is back, a read works" $((rc | $?)) "$(tail -n 1 "$work/back.err")"
done

sim_start --model 6 --only-baud 9600
run_qv3 read --port "$port" --trace "$work/baud.trace" >/dev/null 2>"$work/baud.err"
rc=$?
grep -q " baud 9600$" <(tr -d '\r' <"$work/baud.trace")
check "--only-baud 9600 is read on the second query, and the trace shows the switch" $((rc | $?))

# Output that cannot be written (a full disk, a pipe without a reader) fails
# with one line on standard error.
if [[ $wine -eq 0 ]]; then
  printf 'model = 4\n' >"$work/four.txt"
  run_qv3 save "$work/four.txt" -o "$work/four.qv3" 2>/dev/null
  mkfifo "$work/fifo"
  for sink in full pipe; do
    for verb in show read; do
      args=("$work/four.qv3")
      [[ $verb == read ]] && args=(--port "$port")
      if [[ $sink == full ]]; then
        run_qv3 "$verb" "${args[@]}" >/dev/full 2>"$work/out.err"
        rc=$?
      else
        # fd 5 writes into the fifo; fd 4, its only reader, is closed first.
        exec 4<>"$work/fifo" 5>"$work/fifo"
        exec 4<&-
        run_qv3 "$verb" "${args[@]}" >&5 2>"$work/out.err"
        rc=$?
        exec 5>&-
      fi
      tail -n 1 "$work/out.err" | grep -qx "qv3: cannot write to standard output"
      check "$verb into a $sink output exits 1 and says so" $(( (rc == 1 ? 0 : 1) | $? )) "rc $rc"
    done
  done
fi

# Any file name: a settings text in a folder named outside every 8-bit code
# page is saved, shown, written and read back there, and a file error names
# the file in UTF-8 with the system's reason. Under Wine the names reach
# qv3.exe through the wide command line and the wide file API.
sim_start --model 4
folder="$work/日本"
mkdir -p "$folder"
printf 'model = 4\nprimary.status_text = "Café"\n' >"$folder/set.txt"
run_qv3 save "$folder/set.txt" -o "$folder/set.qv3" >/dev/null 2>"$work/named.err"
rc=$?
run_qv3 show "$folder/set.qv3" 2>>"$work/named.err" | tr -d '\r' | grep -qxF 'primary.status_text = "Café"'
check "save and show in a 日本 folder" $((rc | $?)) "$(cat "$work/named.err")"
run_qv3 write --port "$port" "$folder/set.qv3" --yes >/dev/null 2>"$work/named.err"
rc=$?
run_qv3 read --port "$port" -o "$folder/read.qv3" >/dev/null 2>>"$work/named.err"
rc=$((rc | $?))
run_qv3 show "$folder/read.qv3" 2>>"$work/named.err" | tr -d '\r' | grep -qxF 'primary.status_text = "Café"'
check "write from and read into a 日本 folder" $((rc | $?)) "$(cat "$work/named.err")"
run_qv3 show "$folder/missing.qv3" >/dev/null 2>"$work/named.err"
rc=$?
tr -d '\r' <"$work/named.err" | grep -qxF "qv3: $folder/missing.qv3: Failed to open file (No such file or directory)"
check "a missing file in a 日本 folder is named with the reason" $(( (rc == 1 ? 0 : 1) | $? )) "$(cat "$work/named.err")"

sim_start --model 4 --stream
for verb in version read write; do
  args=(--port "$port")
  [[ $verb == write ]] && args+=("$work/changed.txt" --yes)
  start=$SECONDS
  run_qv3 "$verb" "${args[@]}" >/dev/null 2>"$work/stream.err"
  rc=$?
  check "--stream: $verb fails within a few seconds ($((SECONDS - start)) s)" \
    $(( (rc == 1 ? 0 : 1) | (SECONDS - start > 20 ? 1 : 0) ))
done
sim_stop

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
