#!/usr/bin/env bash
# One desktop program per user, on an X server: a second start brings the running program's
# tucked ball back expanded and exits with 0, leaving one ball; the subcommands run beside it;
# a program killed with SIGKILL leaves a lock behind that does not block the next start.
#   desktop-single-instance.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"

# start_again NAME: a start that must hand over to the running program and exit with 0.
start_again() {
    local status=0
    timeout 30 "$binary" 2>>"$root/$1.log" || status=$?
    [ "$status" -eq 0 ] || { cat "$root/$1.log"; fail "the $1 start exited with $status"; }
}

start_program
first=$pid
wait_for "first start at the top right" 'at 1688 12'
drag 1788 52 110 152
wait_for "tucked left" 'at -186 112'

start_again second
wait_for "the running ball came back expanded" 'at 0 112'
holds "one ball, from the first program" '[ "$(balls)" -eq 1 ] && kill -0 "$first"'

"$binary" config get displayMode >/dev/null || fail "a subcommand beside the program"
"$binary" monitor --count 1 >/dev/null || fail "the terminal monitor beside the program"

kill -KILL "$first"
wait "$first" 2>/dev/null || true
[ -e "$XDG_RUNTIME_DIR/vorn.lock" ] || fail "the killed program left no lock to test with"
wait_for "the killed program's ball is gone" '[ "$(balls)" -eq 0 ]'
start_program
holds "the start after the kill runs" 'kill -0 "$pid" && [ "$(balls)" -eq 1 ]'
start_again third
holds "still one ball" '[ "$(balls)" -eq 1 ]'
echo "desktop single instance: ok"
