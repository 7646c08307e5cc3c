#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the desktop tests: ztprog on its own X display (Xvfb) and session bus, driven through the
# accessibility interface with real key presses. Usage: run.sh ZTPROG ZTPROG_CLI [TEST...]
# (TEST: a class or test of test_desktop, e.g. test_desktop.RadioReadWrite; default all)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export ZTPROG="$1" ZT_CLI="$2"
# A free display number.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
tmp="$(mktemp -d)"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
export DISPLAY=":$display" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
export NO_AT_BRIDGE=0 PYTHONDONTWRITEBYTECODE=1
# The accessibility bindings belong to the system's own Python.
cd "$here"
status=0
tests=("${@:3}")
[ ${#tests[@]} -gt 0 ] || tests=(test_desktop)
dbus-run-session -- /usr/bin/python3 -m unittest -v "${tests[@]}" >"$tmp/out" 2>&1 || status=$?
grep -v "Failed to set fd limit" "$tmp/out" || true
exit "$status"
