#!/usr/bin/env bash
# Runs a command in a private D-Bus session with the accessibility bus up, so that it can work the native window through AT-SPI.
#
#   tests/ui_e2e_qt/atspi_session.sh LOG_DIR COMMAND [ARGS...]
#
# An X display must be set (DISPLAY). The bus launcher's output goes to
# LOG_DIR/atspi.log and the session's to LOG_DIR/session.log; the exit code is
# the command's. The session and its bus end with the command.
set -uo pipefail
log_dir=${1:?atspi_session.sh: LOG_DIR COMMAND...}
shift
exec dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$1/atspi.log" 2>&1 &
  launcher=$!
  # A program finds the accessibility bus when it starts: wait until it answers.
  for ((i = 0; i < 200; i++)); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.1
  done
  shift
  "$@"
  rc=$?
  kill "$launcher" 2>/dev/null
  exit $rc
' atspi-session "$log_dir" "$@" 2>"$log_dir/session.log"
