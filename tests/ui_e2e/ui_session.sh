# Shared steps for driving the Windows program under Wine (sourced by scripts/run and run_ui_e2e.sh):
# Xvfb, a private Wine prefix with COM1 mapped, the simulated tracker, the program and the driver.
#
# Every wait is bounded. The caller sets QV3UI_ROOT (the source tree) and calls
# qv3ui_cleanup on exit; everything started here is ended there, by process id.

QV3UI_XVFB_PID=""
QV3UI_SIM_PID=""
QV3UI_APP_PID=""
QV3UI_DRV_PID=""
QV3UI_PREFIX=""
QV3UI_REPLY=""

# A driver that has gone makes writes to it fail instead of ending the script.
trap '' PIPE

export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries or file associations in $HOME.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [[ -z "${HOME:-}" ]]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi

qv3ui_log() { printf '%s\n' "$*" >&2; }

# qv3ui_wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
qv3ui_wait_for() {
  local tries=$(( $1 * 10 )); shift
  local i
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# qv3ui_start_xvfb DIR: a private X server; exports DISPLAY. -noreset: by
# default the server resets when its last client leaves, and a program that
# connects in that moment (the accessibility bus and its registry come and go
# as the program starts) is refused: "could not connect to display".
qv3ui_start_xvfb() {
  local dir=$1
  local fdfile="$dir/xvfb.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$fdfile" >"$dir/xvfb.log" 2>&1 &
  QV3UI_XVFB_PID=$!
  if ! qv3ui_wait_for 10 test -s "$fdfile"; then
    qv3ui_log "Xvfb did not start (see $dir/xvfb.log)"
    return 1
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
}

# qv3ui_prepare_prefix PREFIX PORT_PATH MANAGED: creates the Wine prefix if
# needed and maps COM1 to PORT_PATH; MANAGED=N lets windows appear without a
# window manager. Changes the registry only when it differs.
qv3ui_prepare_prefix() {
  local prefix=$1 port_path=$2 managed=$3
  QV3UI_PREFIX=$prefix
  export WINEPREFIX=$prefix
  mkdir -p "$(dirname "$prefix")"
  (unset DISPLAY; "$QV3UI_ROOT/scripts/wine-run" --init) || return 1
  local want_port="\"COM1\"=\"$port_path\""
  local want_managed="\"Managed\"=\"$managed\""
  if grep -qF "$want_port" "$prefix/system.reg" 2>/dev/null &&
     grep -qF "$want_managed" "$prefix/user.reg" 2>/dev/null; then
    return 0
  fi
  local reg="$prefix/qv3-settings.reg"
  {
    echo "REGEDIT4"
    echo
    echo "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]"
    echo "$want_port"
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]"
    echo "$want_managed"
  } >"$reg"
  (unset DISPLAY; timeout -k 5 60 wine regedit /S "$(qv3ui_windows_path "$reg")" </dev/null >/dev/null 2>&1) || true
  # Wine reads the ports when its server starts: stop it, and let it save the registry.
  timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true
  timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
  if ! grep -qF "$want_port" "$prefix/system.reg"; then
    qv3ui_log "could not map COM1 in $prefix"
    return 1
  fi
}

# qv3ui_windows_path PATH: the Wine drive Z: name of a Linux path.
qv3ui_windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# qv3ui_start_sim QV3SIM MODEL LINK DIR [OPTIONS...]: the simulated tracker,
# its image kept in DIR/tracker.img; returns once it is ready.
qv3ui_start_sim() {
  local sim=$1 model=$2 link=$3 dir=$4; shift 4
  rm -f "$dir/tracker.ready"
  "$sim" --model "$model" --link "$link" --image-out "$dir/tracker.img" --log "$dir/tracker.log" "$@" \
    >"$dir/tracker.ready" 2>"$dir/tracker.err" &
  QV3UI_SIM_PID=$!
  if ! qv3ui_wait_for 10 test -s "$dir/tracker.ready"; then
    qv3ui_log "qv3sim did not start: $(cat "$dir/tracker.err" 2>/dev/null)"
    return 1
  fi
}

qv3ui_stop_sim() {
  [[ -n "$QV3UI_SIM_PID" ]] || return 0
  kill -TERM "$QV3UI_SIM_PID" 2>/dev/null || true
  qv3ui_wait_for 5 qv3ui_gone "$QV3UI_SIM_PID" || kill -KILL "$QV3UI_SIM_PID" 2>/dev/null || true
  wait "$QV3UI_SIM_PID" 2>/dev/null || true
  QV3UI_SIM_PID=""
}

qv3ui_gone() { ! kill -0 "$1" 2>/dev/null; }

# qv3ui_start_app EXE LOG: the program under Wine; QV3UI_APP_PID is its process
# (wine execs it), so that wait gives its exit code.
qv3ui_start_app() {
  local exe=$1 log=$2
  wine "$exe" </dev/null >"$log" 2>&1 &
  QV3UI_APP_PID=$!
}

# qv3ui_wait_app SECONDS: waits for the program to end; sets QV3UI_APP_EXIT.
qv3ui_wait_app() {
  QV3UI_APP_EXIT=""
  if ! qv3ui_wait_for "$1" qv3ui_gone "$QV3UI_APP_PID"; then
    return 1
  fi
  local rc=0
  wait "$QV3UI_APP_PID" 2>/dev/null || rc=$?
  QV3UI_APP_EXIT=$rc
  QV3UI_APP_PID=""
}

qv3ui_stop_app() {
  [[ -n "$QV3UI_APP_PID" ]] || return 0
  kill -TERM "$QV3UI_APP_PID" 2>/dev/null || true
  qv3ui_wait_for 5 qv3ui_gone "$QV3UI_APP_PID" || kill -KILL "$QV3UI_APP_PID" 2>/dev/null || true
  wait "$QV3UI_APP_PID" 2>/dev/null || true
  QV3UI_APP_PID=""
}

# qv3ui_start_driver EXE LOG: the driver as a coprocess, answering requests.
qv3ui_start_driver() {
  local exe=$1 log=$2
  coproc QV3UI_DRIVER { exec wine "$exe" 2>"$log"; }
  QV3UI_DRV_PID=$QV3UI_DRIVER_PID
}

# qv3ui_ask REQUEST [SECONDS]: sends one request; QV3UI_REPLY holds the value
# after "ok|" (or the reason after "err|"). Fails on err or no answer in time.
# The default outlasts the driver's longest wait (60 s) and message time-outs,
# so that answers never arrive late for the next request.
qv3ui_ask() {
  local request=$1 seconds=${2:-90} line=""
  QV3UI_REPLY=""
  [[ -n "${QV3UI_DRIVER[1]:-}" ]] || { QV3UI_REPLY="driver not running"; return 1; }
  printf '%s\n' "$request" >&"${QV3UI_DRIVER[1]}" || { QV3UI_REPLY="driver gone"; return 1; }
  if ! IFS= read -r -t "$seconds" line <&"${QV3UI_DRIVER[0]}"; then
    QV3UI_REPLY="no answer to '$request' within ${seconds}s"
    return 1
  fi
  line=${line%$'\r'}
  case "$line" in
    ok) return 0 ;;
    ok\|*) QV3UI_REPLY=${line#ok|}; return 0 ;;
    err\|*) QV3UI_REPLY=${line#err|}; return 1 ;;
    *) QV3UI_REPLY="unexpected answer '$line'"; return 1 ;;
  esac
}

qv3ui_stop_driver() {
  [[ -n "$QV3UI_DRV_PID" ]] || return 0
  qv3ui_ask "exit" 5 || true
  qv3ui_wait_for 5 qv3ui_gone "$QV3UI_DRV_PID" || kill -KILL "$QV3UI_DRV_PID" 2>/dev/null || true
  wait "$QV3UI_DRV_PID" 2>/dev/null || true
  QV3UI_DRV_PID=""
}

# qv3ui_screenshot FILE: the main window, cut from the screen, as PNG. The
# driver's current window must be the main window.
qv3ui_screenshot() {
  local file=$1
  qv3ui_ask "paint" && qv3ui_ask "rect" || return 1
  local l t r b
  IFS=, read -r l t r b <<<"$QV3UI_REPLY"
  timeout 20 xwd -root -silent -display "$DISPLAY" | xwdtopnm 2>/dev/null |
    pamcut -left "$l" -top "$t" -width $((r - l)) -height $((b - t)) | pnmtopng >"$file.tmp" 2>/dev/null &&
    mv "$file.tmp" "$file"
}

# qv3ui_window_screenshot CAPTION FILE: a window taken from its own X window,
# found by its caption: a dialog cut from the screen comes out black where it
# lies over the main window.
qv3ui_window_screenshot() {
  timeout 20 xwd -name "$1" -silent -display "$DISPLAY" | xwdtopnm 2>/dev/null | pnmtopng >"$2.tmp" 2>/dev/null &&
    mv "$2.tmp" "$2"
}

# qv3ui_cleanup: ends everything started here, newest first.
qv3ui_cleanup() {
  qv3ui_stop_driver
  qv3ui_stop_app
  qv3ui_stop_sim
  if [[ -n "$QV3UI_PREFIX" ]]; then
    WINEPREFIX=$QV3UI_PREFIX timeout -k 5 20 wineserver -k >/dev/null 2>&1 || true
  fi
  if [[ -n "$QV3UI_XVFB_PID" ]]; then
    kill -TERM "$QV3UI_XVFB_PID" 2>/dev/null || true
    qv3ui_wait_for 5 qv3ui_gone "$QV3UI_XVFB_PID" || kill -KILL "$QV3UI_XVFB_PID" 2>/dev/null || true
    wait "$QV3UI_XVFB_PID" 2>/dev/null || true
    QV3UI_XVFB_PID=""
  fi
}
