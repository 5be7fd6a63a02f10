#!/usr/bin/env bash
# The real program on an X server: the ball shows at the top right, dragged to the left edge
# it tucks, a click on its strip brings it back, dropped at the right edge it tucks there;
# SIGTERM quits it normally and the traffic file is written; a restart brings the ball back
# tucked at the same height.
#   desktop-end-to-end.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
root="$(mktemp -d)"
pid=""
stop() {
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}
trap 'stop; rm -rf "$root"' EXIT
export HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
settings="$XDG_CONFIG_HOME/Vorn/Vorn.conf"
win=""

position() { xdotool getwindowgeometry --shell "$win" | grep -E '^[XY]=' | tr '\n' ' '; }
# wait_for WHAT CONDITION: polls the condition for up to 10 s.
wait_for() {
    for _ in $(seq 100); do
        if eval "$2" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    echo "FAIL: $1 (window at $(position); settings: $(tr '\n' ' ' <"$settings" 2>/dev/null))"
    cat "$root/vorn.log"
    exit 1
}
at() { [ "$(position)" = "X=$1 Y=$2 " ]; }
stored() { grep -qxF "$1" "$settings"; }
# terminate: SIGTERM, as a logout or `kill` sends it; a normal quit exits with 0.
terminate() {
    kill -TERM "$pid"
    local status=0
    wait "$pid" || status=$?
    pid=""
    [ "$status" -eq 0 ] || { echo "FAIL: exit status $status after SIGTERM"; cat "$root/vorn.log"; exit 1; }
}
start() {
    "$binary" 2>>"$root/vorn.log" &
    pid=$!
    wait_for "the ball is shown" 'win="$(xdotool search --onlyvisible --name "^岚$" | head -1)"; [ -n "$win" ]'
}
# drag FROM_X FROM_Y TO_X TO_Y: press, move in steps, release.
drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    for step in 1 2 3 4 5; do
        xdotool mousemove $(($1 + ($3 - $1) * step / 5)) $(($2 + ($4 - $2) * step / 5))
        sleep 0.05
    done
    xdotool mouseup 1
}

start
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
[ ! -e "$traffic" ] || { echo "FAIL: traffic file written before quitting"; exit 1; }
terminate
grep -q "\"$(date +%F)\": {" "$traffic" || { echo "FAIL: no record of today in $traffic"; exit 1; }
start
wait_for "restored tucked right at the saved height" 'at 1890 112'
echo "desktop end to end: ok"
