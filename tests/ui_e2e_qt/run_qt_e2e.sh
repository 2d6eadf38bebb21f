#!/usr/bin/env bash
# End-to-end tests of the native window: quorvale3config against qv3sim on Xvfb, worked through AT-SPI.
#
#   tests/ui_e2e_qt/run_qt_e2e.sh
#
# Starts a private X server and a private D-Bus session with the accessibility
# bus, then runs qt_e2e.py, which prints one line per scenario and ends with
# "N passed, N failed". Environment:
#   QV3_NATIVE_BIN   where quorvale3config, qv3sim and qv3 are (default build/native/bin)
#   QV3_QT_E2E_DIR   work folder: logs, screenshots (default build/qt-e2e)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native_bin=${QV3_NATIVE_BIN:-$root/build/native/bin}
work=${QV3_QT_E2E_DIR:-$root/build/qt-e2e}

fail_setup() { echo "qt-e2e: $*" >&2; echo "0 passed, 1 failed"; exit 1; }

for f in quorvale3config qv3 qv3sim; do
  [[ -x "$native_bin/$f" ]] || fail_setup "missing $native_bin/$f (scripts/build native)"
done
for tool in Xvfb dbus-run-session dbus-send xwd xwdtopnm pnmtopng; do
  command -v "$tool" >/dev/null 2>&1 || fail_setup "$tool not found (scripts/install-deps display qt)"
done
bus_launcher=/usr/libexec/at-spi-bus-launcher
[[ -x $bus_launcher ]] || fail_setup "no $bus_launcher (scripts/install-deps qt)"
# Debian's pyatspi belongs to the system's Python.
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail_setup "no pyatspi for /usr/bin/python3 (scripts/install-deps qt)"

mkdir -p "$work"
rm -f "$work/after-read.png" "$work/program.log"

xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then
    kill -TERM "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

rm -f "$work/xvfb.display"
# -noreset: see qv3ui_start_xvfb (tests/ui_e2e/ui_session.sh).
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/xvfb.display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  grep -qs '[0-9]' "$work/xvfb.display" && break
  sleep 0.1
done
grep -qs '[0-9]' "$work/xvfb.display" || fail_setup "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(tr -dc '0-9' <"$work/xvfb.display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# No desktop's settings, and a private runtime folder for Qt.
export XDG_RUNTIME_DIR="$work/runtime"
# Reads and writes keep their images in a history of this run's own.
export XDG_DATA_HOME="$work/data"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

echo "qt-e2e: display $DISPLAY, logs in ${work#"$root"/}/"
# The accessibility bus lives inside the private session and ends with it.
"$root/tests/ui_e2e_qt/atspi_session.sh" "$work" \
  /usr/bin/python3 "$root/tests/ui_e2e_qt/qt_e2e.py" "$native_bin/quorvale3config" "$native_bin/qv3" "$native_bin/qv3sim" "$work"
