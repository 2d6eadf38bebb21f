#!/usr/bin/env bash
# End-to-end tests of quorvale3config.exe: the real program under Wine and Xvfb, COM1 mapped to qv3sim, driven from outside.
#
#   tests/ui_e2e/run_ui_e2e.sh
#
# Prints one line per scenario and ends with "N passed, N failed"; exits non-zero
# when a scenario failed or the set-up did not work. Environment:
#   QV3_NATIVE_BIN   where qv3sim and qv3 are (default build/native/bin)
#   QV3_WINDOWS_BIN  where quorvale3config.exe and ui_driver.exe are (default build/windows/bin)
#   QV3_UI_E2E_DIR   work folder: Wine prefix, logs, screenshots (default build/ui-e2e)
set -uo pipefail

QV3UI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=tests/ui_e2e/ui_session.sh
source "$QV3UI_ROOT/tests/ui_e2e/ui_session.sh"

native_bin=${QV3_NATIVE_BIN:-$QV3UI_ROOT/build/native/bin}
windows_bin=${QV3_WINDOWS_BIN:-$QV3UI_ROOT/build/windows/bin}
work=${QV3_UI_E2E_DIR:-$QV3UI_ROOT/build/ui-e2e}
app_exe="$windows_bin/quorvale3config.exe"
driver_exe="$windows_bin/ui_driver.exe"
layout_exe="$windows_bin/dialog_layout_check.exe"
qv3="$native_bin/qv3"
qv3sim="$native_bin/qv3sim"
link="$work/tracker"
# Named outside every 8-bit code page: the window saves and loads through the wide file API.
files="$work/日本"

# Texts the program shows, exactly.
read_ok="Read Config Successful"
written_ok="Config Written Successfully!"
write_caption="Quorvale3 Write"
question_texts=(
  "You are about to configure your Quorvale with the ability to send an EMERGENCY beacon.  Are you sure you want to do this?"
  "You are about to configure your Quorvale with the ability to send a longer path than is normally recommended. Are you sure you want to do this?"
  "You are about to configure your Quorvale with the ability to send at a rate that is more frequent then is normally recommended. Are you sure you want to do this?"
  "You are about to configure your Quorvale with the ability to send telemetry definitions at a rate that is more frequent then is normally recommended. Are you sure you want to do this?"
)

passed=0
failed=0
why=""

# --- small checks -------------------------------------------------------------

# ask REQUEST: the request must succeed; its value is in QV3UI_REPLY.
ask() {
  qv3ui_ask "$1" && return 0
  why="'$1' failed: $QV3UI_REPLY"
  return 1
}

# expect REQUEST VALUE: the request's value must be VALUE.
expect() {
  ask "$1" || return 1
  [[ "$QV3UI_REPLY" == "$2" ]] && return 0
  why="'$1' gave '$QV3UI_REPLY', expected '$2'"
  return 1
}

# expect_enabled STATE ID...: each control's enabled state is STATE (1 or 0).
expect_enabled() {
  local state=$1 id; shift
  for id in "$@"; do expect "enabled|$id" "$state" || return 1; done
}

# Escapes a text for a request field (backslash and '|').
field() { local t=${1//\\/\\\\}; printf '%s' "${t//|/\\p}"; }

# settings_of IMAGE MODEL: the settings text of a raw image.
settings_of() { "$qv3" decode --model "$2" "$1"; }

# expected_image MODEL OUT KEY=VALUE...: the tracker's current image with
# some settings changed, encoded again by qv3; VALUE is the settings text's form.
expected_image() {
  local model=$1 out=$2; shift 2
  local text="$work/expected.txt" pair key
  settings_of "$work/tracker.img" "$model" >"$text" || { why="qv3 decode failed"; return 1; }
  for pair in "$@"; do
    key=${pair%%=*}
    grep -q "^$key = " "$text" || { why="no '$key' in the settings text"; return 1; }
    KEY="$key" VALUE="${pair#*=}" awk '
      BEGIN { key = ENVIRON["KEY"]; value = ENVIRON["VALUE"] }
      index($0, key " = ") == 1 { print key " = " value; next }
      { print }' "$text" >"$text.new" && mv "$text.new" "$text"
  done
  local rc=0
  "$qv3" encode --model "$model" "$text" -o "$out" >/dev/null 2>&1 || rc=$?
  [[ $rc -eq 0 ]] || { why="qv3 encode gave exit $rc"; return 1; }
}

# The tracker must hold exactly the image in FILE.
expect_tracker_image() {
  cmp -s "$1" "$work/tracker.img" && return 0
  why="the tracker's image differs from qv3 encode's ($(cmp "$1" "$work/tracker.img" 2>&1 | head -n 1))"
  return 1
}

# A setting of the tracker's current image, as its settings text shows it.
tracker_setting() { settings_of "$work/tracker.img" "$1" | sed -n "s/^$2 = //p"; }

unquote() { local t=${1#\"}; printf '%s' "${t%\"}"; }

# answer_box CAPTION BUTTON_ID [TEXT]: the box is shown (with TEXT), gets the
# click, and is gone; the driver then drives the main window again.
answer_box() {
  local caption=$1 button=$2 text=${3:-}
  ask "dialog|$(field "$caption")|10000" || return 1
  if [[ -n "$text" ]]; then expect "message" "$text" || return 1; fi
  ask "click|$button" && ask "gone|10000" && ask "use-main"
}

# answer_changes BUTTON_ID [LINE [PICTURE]]: the list of changes a write asks
# about before its image goes out is shown (naming LINE) and gets the click.
answer_changes() {
  ask "dialog|$(field "$write_caption")|10000" && ask "message" || return 1
  [[ "$QV3UI_REPLY" == 'The tracker will change:\n'* && "$QV3UI_REPLY" == *"${2:-}"* ]] ||
    { why="the change list says '$QV3UI_REPLY'"; return 1; }
  if [[ -n "${3:-}" ]]; then ask "paint" && qv3ui_window_screenshot "$write_caption" "$3" || return 1; fi
  ask "click|$1" && ask "gone|10000" && ask "use-main"
}

# The open box's Cancel button is its default button and has the focus.
expect_default_cancel() {
  expect "focus" "2" || return 1
  ask "style|2" || return 1
  (( (QV3UI_REPLY & 0xF) == 1 )) && return 0  # BS_DEFPUSHBUTTON
  why="Cancel is not the default button (style $QV3UI_REPLY)"
  return 1
}

# --- the program ---------------------------------------------------------------

start_app() {
  # Wine keeps no screen readers' names but traces each one the program gives.
  WINEDEBUG=fixme+oleacc qv3ui_start_app "$app_exe" "$work/app.log"
  ask "main|30000" || { why="the main window did not appear: $why"; return 1; }
}

# expect_exit: the program ends within 15 s with exit code 0.
expect_exit() {
  if ! qv3ui_wait_app 15; then
    # A lost key leaves the window up; a program stuck on its way out does not.
    local shown="unknown"
    qv3ui_ask "use-main" 5 && qv3ui_ask "visible" 5 && shown=$QV3UI_REPLY
    why="the program did not end (main window visible: $shown)"
    qv3ui_stop_app
    return 1
  fi
  [[ "$QV3UI_APP_EXIT" == 0 ]] && return 0
  why="exit code $QV3UI_APP_EXIT"
  return 1
}

# use_tracker MODEL: a fresh simulated tracker of that model behind COM1.
use_tracker() {
  qv3ui_stop_sim
  qv3ui_start_sim "$qv3sim" "$1" "$link" "$work" || { why="qv3sim did not start"; return 1; }
}

# wait_status TEXT: once a command has started a device exchange, waits for
# its outcome TEXT. The exchange replaced the status line when it started; the
# field is blanked first so that the previous outcome cannot be taken for it.
wait_status() {
  ask "sync" && ask "set|1002|(waiting)" && ask "wait-text|1002|$(field "$1")|30000"
}

read_config() {
  ask "use-main" && ask "click|1004" && wait_status "$read_ok"
}

# Closes whatever a failed scenario left open, so that the next one starts clean.
recover() {
  local caption
  for caption in "$write_caption" "Read Version First" "Text Truncated" "Quorvale3Config" "Error" "Save As" "Open" \
    "Telemetry Settings" "History"; do
    while qv3ui_ask "dialog|$(field "$caption")|0" 5; do
      qv3ui_ask "close" 5 || break
      qv3ui_ask "gone|5000" 10 || break
    done
  done
  qv3ui_ask "use-main" 5 || true
}

# show_logs: a failure's evidence, the ends of the program's and the
# driver's standard error and of the simulated tracker's log (with times).
# Left out: the screen reader names Wine traces, and the list of objects the
# Wine server (started by the driver, so sharing its standard error) prints
# when it is stopped.
show_logs() {
  local log
  for log in app.log driver.log tracker.log; do
    echo "  --- ${work#"$QV3UI_ROOT"/}/$log"
    grep -vE ':oleacc:|^0x[0-9a-f]+:[0-9]+: ' "$work/$log" 2>&1 | tail -n 10 | sed 's/^/    /'
  done
}

# scenario NAME FUNCTION: runs one scenario and prints its line.
scenario() {
  local name=$1 function=$2 t0=$SECONDS
  why=""
  if "$function"; then
    passed=$((passed + 1))
    printf 'PASS  %-58s %3ss\n' "$name" $((SECONDS - t0))
  else
    failed=$((failed + 1))
    printf 'FAIL  %-58s %3ss  %s\n' "$name" $((SECONDS - t0)) "$why"
    show_logs
    [[ -n "$QV3UI_APP_PID" ]] && recover
  fi
}

# --- scenarios -------------------------------------------------------------------

# layout_check OUT [--running]: dialog_layout_check.exe compares windows with
# the layout tables: every control's class, id, style, text, rectangle, and the
# creation and tab order.
layout_check() {
  local out=$1 rc=0; shift
  timeout -k 5 60 wine "$layout_exe" "$@" </dev/null >"$out" 2>&1 || rc=$?
  [[ $rc -eq 0 ]] && return 0
  why="exit $rc: $(grep -m 3 -E '^(DIFF|layout)' "$out" | tr '\n' ';')"
  return 1
}

# Both dialogs as the program creates them from the tables.
dialog_templates() { layout_check "$work/layout.txt"; }

# The running program's main window.
running_layout() { layout_check "$work/layout-running.txt" --running; }


startup_defaults() {
  expect "caption" "Quorvale3Config v1.4" || return 1
  ask "window-style" || return 1
  local style=$QV3UI_REPLY
  # WS_CAPTION and WS_SYSMENU; no WS_THICKFRAME, WS_MINIMIZEBOX or WS_MAXIMIZEBOX.
  if (( (style & 0xC80000) != 0xC80000 || (style & 0x70000) != 0 )); then
    why=$(printf 'window style 0x%x' "$style")
    return 1
  fi
  expect "text|1000" "NOCALL" && expect "text|1001" "WIDE1-1,WIDE2-1" && expect "text|1038" "Quorvale3" &&
    expect "text|1084" "144.390" && expect "text|1082" "128" || return 1
  expect "text|1073" "COM1" && expect "sel|1073" "0" || return 1
  expect "count|1033" "8" && expect "count|1063" "16" && expect "count|1035" "3" || return 1
  expect "text|1033" "In Service" && expect "text|1063" "Conventional" && expect "text|1035" "None" || return 1
  expect "tab-sel|1006" "0" && expect "focus" "1000" && expect "text|1002" "" || return 1
  expect_enabled 0 1075 1077 1078 1079 1080 1094 1084 1081 || return 1
  expect_enabled 1 1030 1022 1076 1068 1031 1082
}

# paste_tooltip FILE: the root window's picture shows the tooltip as a black
# box under Xvfb while the tooltip's own X window (the program's topmost one)
# holds it drawn: that is pasted over the main window's screenshot FILE.
paste_tooltip() {
  local file=$1 l t tip geometry w h x y rest
  qv3ui_ask "rect" || return 1
  IFS=, read -r l t _ _ <<<"$QV3UI_REPLY"
  read -r tip geometry < <(xwininfo -root -tree -display "$DISPLAY" |
    awk '/\(has no name\): \("quorvale3config.exe"/ {print $1, $(NF-1); exit}')
  [[ -n "$tip" && "$geometry" =~ ^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)$ ]] || return 1
  w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
  rest="$work/tooltip-window.pnm"
  timeout 20 xwd -id "$tip" -silent -display "$DISPLAY" | xwdtopnm >"$rest" 2>/dev/null || return 1
  pngtopnm "$file" 2>/dev/null | pnmpaste "$rest" $((x - l)) $((y - t)) 2>/dev/null | pnmtopng >"$file.tmp" 2>/dev/null &&
    [[ -s "$file.tmp" && $w -gt 0 && $h -gt 0 ]] && mv "$file.tmp" "$file"
}

# Every control that shows a setting has a tool in the window's tooltip
# control (calibration and the 44 per-bank settings of the form); resting the
# mouse on Callsign shows the callsign's help, as qv3 keys gives it.
tooltips_shown() {
  local help
  help=$("$qv3" keys | sed -n 's/^primary\.callsign  *text  *any text  *-  *//p')
  [[ -n "$help" ]] || { why="qv3 keys gives no help for primary.callsign"; return 1; }
  expect "tooltip-tools" "45" && expect "hover|1000|10000" "$(field "$help")" || return 1
  qv3ui_screenshot "$work/tooltip.png" || { why="no screenshot"; return 1; }
  paste_tooltip "$work/tooltip.png" || qv3ui_log "tooltip.png: the tooltip could not be pasted in"
  ask "unhover"
}

# The 46 edits, check boxes and lists of the main window each named for screen
# readers, uniquely, with the group where a label repeats and the bank shown.
screen_reader_names() {
  local names name
  names=$(sed -n 's/.*SetHwndPropStr (.* L"\(.*\)")$/\1/p' "$work/app.log")
  [[ $(sort -u <<<"$names" | wc -l) -eq 46 && $(wc -l <<<"$names") -eq 46 ]] ||
    { why="names given: $(tr '\n' ',' <<<"$names")"; return 1; }
  for name in "Port" "Primary Mic-E Path" "Primary Time Slotting Enable" "Primary Power Switch Time" "Calibration"; do
    grep -qxF "$name" <<<"$names" || { why="no control named '$name'"; return 1; }
  done
}

write_before_read() {
  ask "click|1005" || return 1
  answer_box "Read Version First" 1 "You must read the version before writing the config" || return 1
  ask "sync" && expect "count-dialogs|$write_caption" "0" && expect "text|1002" ""
}

read_model_2() {
  use_tracker 2 && read_config || return 1
  expect "text|1000" "$(unquote "$(tracker_setting 2 primary.callsign)")" &&
    expect "text|1001" "$(unquote "$(tracker_setting 2 primary.path)")" &&
    expect "text|1038" "$(unquote "$(tracker_setting 2 primary.status_text)")" || return 1
  # A 128-byte PL-RUX model: frequency on, the non-RUX controls off.
  expect_enabled 1 1084 1075 1078 && expect_enabled 0 1077 1079 1080 1094 1081 1030 1022 1076 1068 1031 1082
}

read_model_4() {
  use_tracker 4 && read_config || return 1
  expect "text|1000" "$(unquote "$(tracker_setting 4 primary.callsign)")" &&
    expect "text|1001" "$(unquote "$(tracker_setting 4 primary.path)")" || return 1
  expect_enabled 0 1084 && expect_enabled 1 1075 1077 1078 1079 1080 1094 1081 1030 1022 1076 1068 1031 1082 || return 1
  qv3ui_ask "unhover" && qv3ui_screenshot "$work/after-read.png" || { why="no screenshot: $QV3UI_REPLY"; return 1; }
}

# The list of changes comes first: Cancel leaves the tracker as it was, OK writes.
write_callsign() {
  local before
  before=$(unquote "$(tracker_setting 4 primary.callsign)")
  cp "$work/tracker.img" "$work/before-write.img"
  expected_image 4 "$work/expected.img" 'primary.callsign="N0CALL-7"' || return 1
  ask "set|1000|N0CALL-7" && ask "click|1005" && answer_changes 2 "Primary Callsign: $before → N0CALL-7" "$work/change-list.png" &&
    wait_status "Write cancelled: the tracker is unchanged" || return 1
  cmp -s "$work/before-write.img" "$work/tracker.img" || { why="a cancelled write changed the tracker"; return 1; }
  ask "click|1005" && answer_changes 1 && wait_status "$written_ok" || return 1
  expect_tracker_image "$work/expected.img" && expect "text|1000" "N0CALL-7"
}

# A character past Latin-1 stops Save and Write Config with a notice and the
# focus on the field; the upper-case rule keeps ß, ÿ and µ; "Café" is saved
# and written as the byte 0xE9 and read back as "Café".
refused_character() {
  local refusal="Status Text: the tracker cannot store the character 'Ω' (U+03A9)." file="$work/cafe.qv3" button
  cp "$work/tracker.img" "$work/before-refused.img" && rm -f "$file" && ask "set|1038|Café Ω 日本 🙂" || return 1
  for button in 1093 1005; do  # the focus moves once the box has returned to the program
    ask "click|$button" && answer_box "Quorvale3Config" 1 "$refusal" || return 1
    qv3ui_wait_for 10 eval 'qv3ui_ask focus && [[ $QV3UI_REPLY == 1038 ]]' || { why="focus $QV3UI_REPLY"; return 1; }
  done
  expect "count-dialogs|Save As" "0" && expect "count-dialogs|$write_caption" "0" || return 1
  cmp -s "$work/before-refused.img" "$work/tracker.img" || { why="the tracker's image changed"; return 1; }
  ask "set|1000|aßbÿcµ-5" && expect "text|1000" "AßBÿCµ-5" && ask "set|1000|N0CALL-7" || return 1
  ask "set|1038|Café" && ask "click|1093" && ask "dialog|Save As|10000" || return 1
  ask "set|1148|$(field "$(qv3ui_windows_path "$file")")" && ask "click|1" && ask "gone|10000" || return 1
  ask "use-main" && wait_status "File Saved" && ask "click|1005" && answer_changes 1 && wait_status "$written_ok" ||
    return 1
  # qv3 prints the byte 0xE9 as é (and UTF-8's two bytes as two other characters).
  "$qv3" show "$file" | grep -qx 'primary.status_text = "Café"' &&
    [[ "$(tracker_setting 4 primary.status_text)" == '"Café"' ]] || { why="no Café as Caf and 0xE9"; return 1; }
  ask "set|1038|other" && read_config && expect "text|1038" "Café"
}

# "Read Config" pressed just after "Write Config" is refused and said; the form
# is held (Callsign's ES_READONLY, SmartBeaconing off) until the write lands whole.
read_during_write() {
  expected_image 4 "$work/expected.img" 'primary.callsign="N0CALL-9"' || return 1
  ask "set|1000|N0CALL-9" && ask "click|1005" && ask "click|1004" &&
    ask "wait-text|1002|$(field "Write in progress, please wait")|10000" || return 1
  expect_enabled 0 1024 && ask "style|1000" && (( QV3UI_REPLY & 0x800 )) || { why="not held: $why"; return 1; }
  qv3ui_screenshot "$work/write-held.png" && answer_changes 1 && wait_status "$written_ok" && expect_enabled 1 1024 ||
    return 1
  ask "style|1000" && (( (QV3UI_REPLY & 0x800) == 0 )) || { why="still held: $why"; return 1; }
  expect_tracker_image "$work/expected.img"
}

# Settings that raise all four questions: Emergency!, a -5 path, a 60 s rate
# and telemetry definitions every 10 s.
risky_settings() {
  ask "select|1033|7" && ask "set|1001|WIDE1-1,WIDE5-5" && expect "checked|1024" "0" && ask "set|1009|60" || return 1
  ask "click|1094" && ask "dialog|Telemetry Settings|10000" || return 1
  ask "checked|1093" || return 1
  if [[ "$QV3UI_REPLY" == 0 ]]; then ask "click|1093" || return 1; fi
  ask "set|1001|10" && ask "click|1" && ask "gone|10000" && ask "use-main"
}

questions_ok() {
  risky_settings || return 1
  expected_image 4 "$work/expected.img" primary.mic_e_message=7 'primary.path="WIDE1-1,WIDE5-5"' \
    primary.auto_tx_rate=60 primary.send_telemetry=1 primary.telemetry_def_rate=10 || return 1
  ask "click|1005" || return 1
  local text
  for text in "${question_texts[@]}"; do
    ask "dialog|$write_caption|10000" && expect "message" "$text" && expect_default_cancel || return 1
    ask "click|1" && ask "gone|10000" || return 1
  done
  ask "use-main" && answer_changes 1 && wait_status "$written_ok" || return 1
  expect_tracker_image "$work/expected.img" && expect "sel|1033" "7"
}

question_cancel() {
  cp "$work/tracker.img" "$work/before-cancel.img"
  ask "set|1000|CANCEL-1" && ask "click|1005" || return 1
  answer_box "$write_caption" 1 "${question_texts[0]}" || return 1
  answer_box "$write_caption" 2 "${question_texts[1]}" || return 1
  # Once the main window answers, a further question would already be open.
  ask "sync" && expect "count-dialogs|$write_caption" "0" || return 1
  expect "text|1002" "$written_ok" || return 1
  cmp -s "$work/before-cancel.img" "$work/tracker.img" || { why="the tracker's image changed"; return 1; }
}

save_and_load() {
  rm -rf "$files" && mkdir -p "$files"
  local file="$files/e2e.qv3" name
  name=$(field "$(qv3ui_windows_path "$file")")
  ask "set|1000|SAVED-1" && ask "click|1093" && ask "dialog|Save As|10000" || return 1
  expect "text|1148" "config1.qv3" && ask "set|1148|$name" && ask "click|1" && ask "gone|10000" || return 1
  ask "use-main" && wait_status "File Saved" || return 1
  [[ "$(head -c 8 "$file" | od -An -tx1 | tr -d ' \n')" == "5156334200010000" ]] ||
    { why="the file does not start with QV3B and length 256"; return 1; }
  "$qv3" show "$file" | grep -qx 'primary.callsign = "SAVED-1"' || { why="qv3 show: no SAVED-1"; return 1; }

  # The same name again: the overwrite question, answered Yes.
  ask "set|1000|SAVED-2" && ask "click|1093" && ask "dialog|Save As|10000" || return 1
  ask "set|1148|$name" && ask "click|1" || return 1
  ask "dialog|Error|10000" && ask "click|6" && ask "gone|10000" || return 1
  # The save dialog closes once the question is answered.
  if qv3ui_ask "dialog|Save As|0"; then ask "gone|10000" || { why="the save dialog stayed open"; return 1; }; fi
  ask "use-main" || return 1
  qv3ui_wait_for 10 eval '"$qv3" show "$file" | grep -qx "primary.callsign = \"SAVED-2\""' ||
    { why="the overwritten file does not hold SAVED-2"; return 1; }

  ask "set|1000|CHANGED" && ask "click|1095" && ask "dialog|Open|10000" || return 1
  expect "text|1148" "" && ask "set|1148|$name" && ask "click|1" && ask "gone|10000" || return 1
  ask "use-main" && wait_status "File Loaded" && expect "text|1000" "SAVED-2"
}

# After a Read Config the History dialog lists the tracker's image first;
# Load puts the entry back in the form over an edit.
history_dialog() {
  read_config || return 1
  local read
  read=$(unquote "$(tracker_setting 4 primary.callsign)")
  ask "set|1000|HIST-1" && ask "click|1096" && ask "dialog|History|10000" && expect "focus" "1000" || return 1
  expect "tab-order" "1000,1001,1002,1003,1004,1005,2" && ask "text|1000" || return 1
  [[ "$QV3UI_REPLY" == *"  $read  model 4  "* ]] || { why="the newest entry is '$QV3UI_REPLY'"; return 1; }
  ask "paint" && qv3ui_window_screenshot History "$work/history.png" || { why="no History screenshot"; return 1; }
  ask "click|1001" && ask "gone|10000" && ask "use-main" && wait_status "File Loaded" && expect "text|1000" "$read"
}

tab_switch() {
  read_config || return 1
  local secondary
  secondary=$(unquote "$(tracker_setting 4 secondary.callsign)")
  ask "set|1000|TAB-1" && ask "tab|1006|1" && expect "tab-sel|1006" "1" && expect "text|1000" "$secondary" || return 1
  ask "set|1000|TAB-2" && ask "tab|1006|0" && expect "text|1000" "TAB-1" || return 1
  ask "tab|1006|1" && expect "text|1000" "TAB-2" && ask "tab|1006|0" && expect "text|1000" "TAB-1" || return 1
  grep -q 'SetHwndPropStr (.* L"Secondary Callsign")$' "$work/app.log" || { why="no Secondary Callsign"; return 1; }
  # Alt+PgDn (VK_NEXT, 34) and Alt+PgUp (VK_PRIOR, 33), the bank keys the page shares.
  ask "alt-key|34" && ask "wait-text|1000|TAB-2|10000" && expect "tab-sel|1006" "1" &&
    ask "alt-key|33" && ask "wait-text|1000|TAB-1|10000" && expect "tab-sel|1006" "0"
}

# open_telemetry: the dialog is open and driven; focus on "Send Telemetry".
open_telemetry() {
  ask "use-main" && ask "click|1094" && ask "dialog|Telemetry Settings|10000" && expect "focus" "1093"
}

telemetry_dialog() {
  open_telemetry && expect "count|1002" "3" || return 1
  ask "checked|1093" || return 1
  if [[ "$QV3UI_REPLY" == 0 ]]; then ask "click|1093" || return 1; fi
  expect_enabled 1 1002 1001 1000 && expect "tab-order" "1093,1001,1000,1,2,1002" || return 1
  ask "set|1001|45" && ask "click|1" && ask "gone|10000" || return 1

  open_telemetry && expect "checked|1093" "1" && expect "text|1001" "45" || return 1
  ask "set|1001|50" && ask "click|2" && ask "gone|10000" || return 1

  open_telemetry && expect "text|1001" "45" || return 1
  ask "set|1001|55" && ask "close" && ask "gone|10000" || return 1

  # Line breaks are kept as CR LF; Esc in the multi-line field cancels.
  open_telemetry && expect "text|1001" "55" || return 1
  ask 'set|1000|T1\r\nT2' && ask "click|1" && ask "gone|10000" || return 1
  open_telemetry && expect "text|1000" 'T1\r\nT2' || return 1
  ask "set|1001|60" && ask "mouse-click|1000" && expect "focus" "1000" && ask "escape" && ask "gone|10000" || return 1

  open_telemetry && expect "text|1001" "55" || return 1
  ask "click|1093" && expect "checked|1093" "0" && expect_enabled 0 1002 1001 1000 && expect_enabled 1 1093 1 2 || return 1
  ask "click|2" && ask "gone|10000" && ask "use-main"
}

escape_quits() { ask "use-main" && ask "escape" && expect_exit; }

quit_quits() { start_app && ask "click|2" && expect_exit; }

close_box_quits() { start_app && ask "close" && expect_exit; }

# --- set-up, run, summary -----------------------------------------------------------

setup() {
  local f
  for f in "$app_exe" "$driver_exe" "$layout_exe" "$qv3" "$qv3sim"; do
    [[ -x "$f" || -f "$f" ]] || { echo "ui-e2e: missing $f (build native and windows first)" >&2; return 1; }
  done
  local tool
  for tool in Xvfb xwd xwdtopnm pamcut pnmtopng wine wineserver; do
    command -v "$tool" >/dev/null 2>&1 || { echo "ui-e2e: $tool not found (scripts/install-deps display wine)" >&2; return 1; }
  done
  mkdir -p "$work"
  rm -f "$work/after-read.png" "$work/tooltip.png" "$work/history.png"
  qv3ui_start_xvfb "$work" || return 1
  qv3ui_prepare_prefix "$work/wine-prefix" "$link" N || return 1
  use_tracker 4 || { echo "ui-e2e: $why" >&2; return 1; }
  qv3ui_start_driver "$driver_exe" "$work/driver.log"
}

main() {
  trap qv3ui_cleanup EXIT
  local t0=$SECONDS
  if ! setup; then
    echo "ui-e2e: set-up failed"
    show_logs
    echo "0 passed, 1 failed"
    return 1
  fi
  echo "ui-e2e: set-up ${SECONDS}s (display $DISPLAY, prefix ${work#"$QV3UI_ROOT"/}/wine-prefix)"

  scenario "the dialogs as created match their layout tables" dialog_templates
  if start_app; then
    scenario "start-up shows the defaults, model controls off" startup_defaults
    scenario "the running main window matches its layout table" running_layout
    scenario "a setting's help shows as its control's tooltip" tooltips_shown
    scenario "every edit, check box and list named for screen readers" screen_reader_names
    scenario "Write Config before a read: Read Version First" write_before_read
    scenario "Read Config from a 128-byte model (2)" read_model_2
    scenario "Read Config from a 256-byte model (4)" read_model_4
    scenario "edited callsign written as qv3 encode's image" write_callsign
    scenario "a character past Latin-1 refused; Café saved and written" refused_character
    scenario "Read Config during a write: refused, said; form held" read_during_write
    scenario "four write questions answered OK, image written" questions_ok
    scenario "a write question answered Cancel: nothing written" question_cancel
    scenario "Save and Load through the file dialogs" save_and_load
    scenario "History: the read listed, Load puts it back" history_dialog
    scenario "a tab switch keeps the edits of each bank" tab_switch
    scenario "telemetry dialog: OK, Cancel and the close box" telemetry_dialog
    scenario "Esc ends the program with exit code 0" escape_quits
  else
    echo "FAIL  the program did not start: $why"
    failed=$((failed + 1))
  fi
  scenario "Quit ends the program with exit code 0" quit_quits
  scenario "the close box ends the program with exit code 0" close_box_quits

  echo "ui-e2e: ${SECONDS}s in all; screenshots ${work#"$QV3UI_ROOT"/}/after-read.png, tooltip.png, history.png; logs in ${work#"$QV3UI_ROOT"/}/"
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}

main "$@"
