#!/usr/bin/env bash
# Checks the release packages scripts/package wrote to dist/: lintian on the
# .deb, the desktop entry and AppStream metadata validated, the .deb's
# contents, installing it and running the installed programs against each
# other (qv3 and the window read the installed qv3sim), purging it without
# leftovers, the Windows zip's programs under Wine (versions, and the window
# coming up and quitting), and the browser page's zip. Prints one line per
# check and "N passed, N failed" last.
#
#   tests/package/check_packages.sh
#
# Environment: WINEPREFIX (default build/windows/wine-prefix). Installing the
# .deb needs root (or sudo); without either those checks are skipped.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
version=$(<build/native/version.txt)
deb="dist/quorvale3config_${version}_amd64.deb"
zipfile="dist/quorvale3config-${version}-windows-x64.zip"
work="$root/build/package-check"
rm -rf "$work" && mkdir -p "$work"
# Xvfb, and the Windows program and its driver under Wine, for the window checks.
QV3UI_ROOT=$root
# shellcheck source=tests/ui_e2e/ui_session.sh
source "$root/tests/ui_e2e/ui_session.sh"

passed=0
failed=0
# check NAME COMMAND...: runs one check, output in $work/NAME.log.
check() {
  local name=$1; shift
  if "$@" >"$work/$name.log" 2>&1; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
    sed 's/^/    /' "$work/$name.log" | tail -n 80
  fi
}
skip() { echo "skipped $1 ($2)"; }

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if sudo -n true 2>/dev/null; then sudo=(sudo -n); else sudo=(none); fi
fi

# --- the .deb as a file ------------------------------------------------------
lintian_clean() {
  # Errors fail; warnings and notes are shown for the log.
  lintian --fail-on error --display-info "$deb"
}

validate_desktop_files() {
  desktop-file-validate build/native/desktop/*.desktop &&
    appstreamcli validate --no-net build/native/desktop/*.metainfo.xml
}

# Every file the .deb must hold; the window's only when it ships the window.
deb_contents() {
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
  cat "$work/contents"
  local expected=(/usr/bin/qv3 /usr/bin/qv3sim /usr/share/man/man1/qv3.1.gz /usr/share/man/man1/qv3sim.1.gz
    /usr/share/bash-completion/completions/qv3 /usr/share/doc/quorvale3config/copyright
    /usr/share/doc/quorvale3config/changelog.Debian.gz)
  if grep -qx /usr/bin/quorvale3config "$work/contents"; then
    expected+=(/usr/share/man/man1/quorvale3config.1.gz
      /usr/share/applications/org.quorvale3config.Quorvale3Config.desktop
      /usr/share/metainfo/org.quorvale3config.Quorvale3Config.metainfo.xml
      /usr/share/icons/hicolor/48x48/apps/quorvale3config.png
      /usr/share/icons/hicolor/256x256/apps/quorvale3config.png)
  fi
  local path missing=0
  for path in "${expected[@]}"; do
    grep -qxF "$path" "$work/contents" || { echo "missing: $path"; missing=1; }
  done
  dpkg-deb -f "$deb" Depends | grep -q 'libc6' || { echo "Depends lacks libc6"; missing=1; }
  return $missing
}

# Every verb qv3 --help names is completed, so a new verb cannot be forgotten.
completion_knows_every_verb() {
  local stage=build/native/deb/debian/quorvale3config
  local verbs verb offered
  verbs=$("$stage/usr/bin/qv3" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' | sort -u)
  [[ -n "$verbs" ]] || { echo "no verbs found in qv3 --help"; return 1; }
  # shellcheck disable=SC1091
  source "$stage/usr/share/bash-completion/completions/qv3"
  COMP_WORDS=(qv3 "")
  COMP_CWORD=1
  _qv3
  offered=" ${COMPREPLY[*]} "
  local missing=0
  for verb in $verbs; do
    [[ "$offered" == *" $verb "* ]] || { echo "not completed: $verb"; missing=1; }
  done
  return $missing
}

check lintian lintian_clean
grep -E '^[EWI]: ' "$work/lintian.log" | sed 's/^/    /'
check desktop-and-appstream validate_desktop_files
check deb-contents deb_contents
check completion-verbs completion_knows_every_verb

# --- installed on this machine ----------------------------------------------
sim_pid=""
stop_sim() { [[ -z "$sim_pid" ]] || { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; sim_pid=""; }; }
trap stop_sim EXIT

install_deb() {
  # The package's directories that are there before, which the purge must leave alone.
  local path
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\.||; s|/$||' | while IFS= read -r path; do
    [[ -n "$path" && -d "$path" ]] && echo "$path"
  done >"$work/dirs-before"
  "${sudo[@]}" dpkg -i "$deb" && dpkg -L quorvale3config | sort >"$work/installed-list"
}

installed_versions() {
  [[ "$(/usr/bin/qv3 --version)" == "qv3 $version" ]] &&
    [[ "$(/usr/bin/qv3sim --version)" == "qv3sim $version" ]] &&
    man -w qv3 && man -w qv3sim
}

# start_installed_sim LINK: the installed qv3sim, a model 4 tracker, on LINK;
# what it heard and said, with times, in LINK.log.
start_installed_sim() {
  /usr/bin/qv3sim --model 4 --link "$1" --log "$1.log" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  local _
  for _ in $(seq 100); do
    [[ -e "$1" ]] && grep -q . "$work/sim.out" && return 0
    sleep 0.05
  done
  echo "the installed qv3sim did not start: $(cat "$work/sim.out")"
  return 1
}

installed_read() {
  local link="$work/tracker"
  start_installed_sim "$link" || return 1
  XDG_DATA_HOME="$work/data" timeout 60 /usr/bin/qv3 read --port "$link" >"$work/read.out" 2>"$work/read.err"
  local rc=$?
  # qv3 ports asks the named port, as it would each port it lists.
  timeout 30 /usr/bin/qv3 ports --probe "$link" >"$work/ports.out" 2>&1 &&
    grep -qF "model 4 (Quorvale3 v1.4)" "$work/ports.out" || { cat "$work/ports.out"; rc=1; }
  stop_sim
  cat "$work/read.err"
  [[ $rc -eq 0 ]] && grep -qx "Read Config Successful" "$work/read.err" && grep -q '^model = 4' "$work/read.out"
}

# The native window, once the package holds it: it knows its version, says
# in one line that it has no display to open when started without one, and,
# on a private X display worked through AT-SPI, reads the installed qv3sim
# ("Read Config Successful") and quits with exit code 0.
installed_window() {
  [[ "$(QT_QPA_PLATFORM=offscreen timeout 30 /usr/bin/quorvale3config --version)" == "quorvale3config $version" ]] ||
    return 1
  local no_display rc_no_display=0
  no_display="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 /usr/bin/quorvale3config 2>&1)" ||
    rc_no_display=$?
  [[ $rc_no_display -eq 1 && "$no_display" == "quorvale3config: no display to open"* &&
    "$(wc -l <<<"$no_display")" -eq 1 ]] || { echo "without a display: exit $rc_no_display: $no_display"; return 1; }
  local link="$work/window-tracker" rc=0
  start_installed_sim "$link" && qv3ui_start_xvfb "$work" || return 1
  mkdir -p "$work/run" "$work/runtime" && chmod 700 "$work/runtime"
  QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" \
    timeout 120 tests/ui_e2e_qt/atspi_session.sh "$work" /usr/bin/python3 tests/ui_e2e_qt/run_headless.py \
    /usr/bin/quorvale3config "$link" "$work/window.png" || rc=$?
  if [[ $rc -ne 0 ]]; then  # run_headless.py has shown the program's own lines
    local log
    for log in atspi.log session.log xvfb.log window-tracker.log; do
      echo "--- ${work#"$root"/}/$log"
      tail -n 6 "$work/$log"
    done
  fi
  qv3ui_cleanup
  stop_sim
  return $rc
}

purge_leaves_nothing() {
  "${sudo[@]}" dpkg --purge quorvale3config || return 1
  local path left=0
  while IFS= read -r path; do
    [[ -n "$path" && "$path" != "/." ]] || continue
    if [[ -d "$path" ]]; then
      grep -qxF "$path" "$work/dirs-before" || { echo "left behind: $path/"; left=1; }
    elif [[ -e "$path" || -L "$path" ]]; then
      echo "left behind: $path"; left=1
    fi
  done <"$work/installed-list"
  ! dpkg -s quorvale3config >/dev/null 2>&1 || { echo "dpkg still lists the package"; left=1; }
  return $left
}

if [[ "${sudo[*]}" == none ]]; then
  skip "install and purge" "needs root or sudo"
elif dpkg -s quorvale3config >/dev/null 2>&1; then
  # Never replace or remove a copy someone installed on purpose.
  skip "install and purge" "quorvale3config is already installed here"
else
  check deb-install install_deb
  if [[ -s "$work/installed-list" ]]; then
    check installed-version installed_versions
    check installed-qv3-reads-installed-qv3sim installed_read
    if grep -qx /usr/bin/quorvale3config "$work/installed-list"; then
      check installed-window-reads-installed-qv3sim installed_window
    fi
    check purge-leaves-nothing purge_leaves_nothing
  fi
fi

# --- the Windows zip under Wine --------------------------------------------
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine-prefix}
unzipped="$work/zip"
folder="$unzipped/quorvale3config-$version"

zip_contents() {
  unzip -q "$zipfile" -d "$unzipped" || return 1
  (cd "$unzipped" && find . -type f | LC_ALL=C sort) >"$work/zip-list"
  printf "./quorvale3config-$version/%s\n" LICENSE.txt README.txt quorvale3config.exe qv3.exe | LC_ALL=C sort |
    diff - "$work/zip-list"
}

# VERSIONINFO's strings are UTF-16; both version texts must be the project's.
exe_versions() {
  scripts/wine-run --init "$root/build/windows" >/dev/null 2>&1 || true
  [[ "$(scripts/wine-run "$folder/qv3.exe" --version | tr -d '\r')" == "qv3 $version" ]] || {
    echo "qv3.exe --version is wrong"; return 1; }
  [[ "$(scripts/wine-run "$folder/quorvale3config.exe" --version | tr -d '\r')" == "quorvale3config $version" ]] || {
    echo "quorvale3config.exe --version is wrong"; return 1; }
  strings -el "$folder/quorvale3config.exe" | grep -qxF "$version.0" &&
    strings -el "$folder/quorvale3config.exe" | grep -qxF "$version" || {
    echo "VERSIONINFO does not say $version"; return 1; }
}

# The window program from the zip comes up on a private X display (found by
# the test build's ui_driver.exe) and "Quit" ends it with exit code 0.
zip_window() {
  local driver="$root/build/windows/bin/ui_driver.exe" rc=0
  [[ -f "$driver" ]] || { echo "no $driver (scripts/build windows)"; return 1; }
  qv3ui_start_xvfb "$work" || return 1
  # A Wine server started without a display (the --version checks) would keep
  # its windows off this one.
  timeout -k 5 30 wineserver -k >/dev/null 2>&1; timeout -k 5 30 wineserver -w >/dev/null 2>&1
  qv3ui_start_app "$folder/quorvale3config.exe" "$work/zip-window.log"
  qv3ui_start_driver "$driver" "$work/zip-driver.log"
  if qv3ui_ask "main|30000" && qv3ui_ask "caption" && [[ "$QV3UI_REPLY" == "Quorvale3Config v1.4" ]] &&
     qv3ui_ask "click|2" && qv3ui_wait_app 20; then
    [[ "$QV3UI_APP_EXIT" == 0 ]] || { echo "the program ended with exit code $QV3UI_APP_EXIT"; rc=1; }
  else
    echo "the window did not come up and quit: $QV3UI_REPLY"
    rc=1
  fi
  if [[ $rc -ne 0 ]]; then
    local log
    for log in zip-window.log zip-driver.log xvfb.log; do
      echo "--- ${work#"$root"/}/$log"
      tail -n 8 "$work/$log"
    done
  fi
  qv3ui_cleanup
  return $rc
}

# --- the browser page's zip ----------------------------------------------------
# Static files only, the page's own: a strict policy, no script from elsewhere,
# and the downloads it offers are this version's.
web_zip() {
  local webzip="dist/quorvale3config-${version}-web.zip" dir="$work/web/quorvale3config-${version}-web"
  unzip -o -q "$webzip" -d "$work/web" || return 1
  (cd "$dir" && ls | LC_ALL=C sort) >"$work/web-list"
  printf '%s\n' LICENSE.txt README.txt icon-192.png icon-512.png index.html manifest.webmanifest page.css page.js \
    quorvale3config.js quorvale3config.png quorvale3config.wasm seam_table.js serial_bridge.js service_worker.js \
    usb_serial.js usb_serial_{cdc,ch340,cp210x,ftdi,pl2303}.js | diff - "$work/web-list" || return 1
  grep -qF "Content-Security-Policy\" content=\"default-src 'self'" "$dir/index.html" || { echo "no strict policy"; return 1; }
  ! grep -qiE '(src|href)="(https?:)?//' "$dir/index.html" || { echo "the page loads from elsewhere"; return 1; }
  grep -qF "quorvale3config-${version}-windows-x64.zip" "$dir/index.html" &&
    grep -qF "quorvale3config_${version}_amd64.deb" "$dir/index.html" || { echo "the downloads are not ${version}'s"; return 1; }
}

check zip-contents zip_contents
if [[ -f "dist/quorvale3config-${version}-web.zip" ]]; then check web-zip web_zip; else skip web-zip "no web zip (no em++)"; fi
if [[ -d "$folder" ]]; then
  check zip-exe-versions exe_versions
  check zip-window-comes-up zip_window
fi
if command -v wineserver >/dev/null 2>&1; then wineserver -k >/dev/null 2>&1 || true; fi

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
