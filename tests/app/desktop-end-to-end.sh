#!/usr/bin/env bash
# The real program on an X server: the ball shows at the top right, dragged to the left edge
# it tucks, a click on its strip brings it back, dropped at the right edge it tucks there;
# SIGTERM quits it normally and the traffic file is written; a restart brings the ball back
# tucked at the same height.
#   desktop-end-to-end.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"

# terminate: SIGTERM, as a logout or `kill` sends it; a normal quit exits with 0.
terminate() {
    kill -TERM "$pid"
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "exit status $status after SIGTERM"
}

# The program books by its own reading of the clock, somewhere between these two days.
first_day="$(date +%F)"
start_program
wait_for "first start at the top right" 'at 1688 12'

drag 1788 52 110 152 # the ball's left edge lands at x = 10
wait_for "tucked left" 'at -186 112'
wait_for "tuck saved" 'stored "widgetTucked=left"'

xdotool mousemove 15 158 click 1
wait_for "expanded flush left" 'at 0 112'
wait_for "expanded frame saved" 'stored "widgetFrame=\"{{0, 112}, {216, 92}}\"" && ! grep -q widgetTucked "$settings"'

drag 100 152 1800 152
wait_for "tucked right" 'at 1890 112'
wait_for "tuck saved" 'stored "widgetTucked=right"'

traffic="$XDG_DATA_HOME/Vorn/traffic.json"
[ ! -e "$traffic" ] || fail "traffic file written before quitting"
terminate
last_day="$(date +%F)"
grep -qE "\"($first_day|$last_day)\": \{" "$traffic" || fail "no record of the run's day in $traffic"
start_program
wait_for "restored tucked right at the saved height" 'at 1890 112'
echo "desktop end to end: ok"
