#!/usr/bin/env bash
# Starting without an X server. With no display at all the program says in one line what is
# missing and exits with 1, instead of Qt aborting. With only a Wayland compositor (weston,
# headless) it runs on native Wayland, says the ball may not be placeable, and quits normally.
#   desktop-display-fallback.sh VORN_BINARY
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"
unset DISPLAY

status=0
timeout 30 "$binary" >"$root/out" 2>"$root/err" || status=$?
[ "$status" -eq 1 ] || { cat "$root/err"; fail "exit status $status without a display"; }
printf '%s\n' '[Vorn] 岚 无法启动：没有 X11 显示（DISPLAY），也没有 Wayland 显示（WAYLAND_DISPLAY）；终端里可用 vorn monitor 查看实时网速' >"$root/expected"
cmp -s "$root/expected" "$root/err" || { cat "$root/err"; fail "not the one line saying what is missing"; }
[ ! -s "$root/out" ] || fail "output on stdout: $(cat "$root/out")"

socket="vorn-test-$$"
run_in_background weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    >"$root/weston.log" 2>&1
wait_for "the compositor" '[ -S "$XDG_RUNTIME_DIR/$socket" ]'
export WAYLAND_DISPLAY="$socket"
run_in_background "$binary" 2>>"$log"
pid=$started
wait_for "the program runs on native Wayland" 'grep -qF "在原生 Wayland 上运行" "$log"'
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status after SIGTERM on Wayland"
grep -q "\"$(date +%F)\": {" "$XDG_DATA_HOME/Vorn/traffic.json" || fail "no traffic file written"
echo "desktop display fallback: ok"
