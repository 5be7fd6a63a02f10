#!/usr/bin/env bash
# The ball on every workspace, under a window manager (openbox) on an X server: it asks to be on
# all desktops and out of the task bar and pager, takes no focus, stays shown while the user
# switches workspaces, and keeps all that when it is hidden and shown again.
#   desktop-workspaces.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"

property() { xprop -id "$win" "$1"; }
viewable() { xwininfo -id "$win" | grep -q 'Map State: IsViewable'; }
current_desktop() { xprop -root _NET_CURRENT_DESKTOP | grep -q "= $1\$"; }
on_every_desktop() { property _NET_WM_DESKTOP | grep -q '= 4294967295$'; }
# switch_to N: the window manager shows desktop N.
switch_to() {
    xdotool set_desktop "$1"
    wait_for "desktop $1 is shown" "current_desktop $1"
}

run_in_background openbox --sm-disable >"$root/openbox.log" 2>&1
wait_for "the window manager" 'xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q "= [0-9]"'
# Asked again until it holds: a starting window manager may still set its own number.
wait_for "three desktops" 'xdotool set_num_desktops 3; xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q "= 3$"'

start_program
wait_for "the ball asks for every desktop" on_every_desktop
states="$(property _NET_WM_STATE)"
for state in _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER _NET_WM_STATE_ABOVE; do
    grep -q "$state" <<<"$states" || fail "$state missing from $states"
done
property _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_UTILITY' || fail "not a utility window"
property WM_HINTS | grep -q 'accepts input or input focus: False' || fail "the ball takes focus"

for desktop in 1 2 0; do
    switch_to "$desktop"
    holds "the ball is shown on desktop $desktop" viewable
done

# Hidden from its menu ("隐藏悬浮球", the third command) and brought back by a second start.
read -r x y < <(xdotool getwindowgeometry --shell "$win" | awk -F= '/^[XY]=/ {printf "%s ", $2} END {print ""}')
xdotool mousemove $((x + 100)) $((y + 46)) click 1
wait_for "the ball menu" '[ "$(xdotool search --onlyvisible --class "^vorn$" | wc -l)" -ge 2 ]'
xdotool key Down Down Down Return
wait_for "the ball is hidden" '! viewable'
timeout 30 "$binary" 2>>"$log" || fail "the second start did not hand over"
wait_for "the ball is back" viewable
wait_for "the ball asks for every desktop again" on_every_desktop
switch_to 1
holds "the shown-again ball is on desktop 1" viewable
echo "desktop workspaces: ok"
