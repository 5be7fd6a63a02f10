#!/usr/bin/env bash
# The menu-bar mode on an X server whose tray host (trayer) starts after the program: until
# then the ball is the only way to the program and stays; once the host is there the ball
# hides behind the tray icon, and it comes back when the host quits.
#   desktop-tray-late-host.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"

"$binary" config set displayMode menubar >/dev/null
start_program
holds "the ball stays without a tray host" '[ "$(balls)" -eq 1 ]'
run_in_background trayer --edge top --align right --widthtype request --height 32 \
    --SetDockType true --transparent false >"$root/trayer.log" 2>&1
tray=$started
wait_for "the ball hides once a tray host is there" '[ "$(balls)" -eq 0 ]'
kill "$tray"
wait "$tray" 2>/dev/null || true
wait_for "the ball comes back when the tray host goes" '[ "$(balls)" -eq 1 ]'
echo "desktop menu-bar mode with a late tray host: ok"
