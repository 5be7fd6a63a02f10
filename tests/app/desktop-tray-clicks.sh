#!/usr/bin/env bash
# The tray item in an XEmbed tray (trayer) on an X server: the icon joins a tray host that starts
# after the program, and a left click and a right click on it each open exactly one menu.
#   desktop-tray-clicks.sh VORN_BINARY      (inside xvfb-run with a 1920x1080 screen)
set -euo pipefail
binary="$1"
source "$(dirname "$0")/desktop-session.sh"

ours() { xdotool search --onlyvisible --class '^vorn$'; }
# The open menus: our visible windows besides the ball and the icon, tooltips left out.
menus() {
    local window count=0
    for window in $(ours); do
        [ "$window" != "$win" ] && [ "$window" != "$icon" ] || continue
        xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q _TOOLTIP || count=$((count + 1))
    done
    echo "$count"
}
# close_menus: a click on the empty screen closes what is open.
close_menus() {
    xdotool mousemove 960 700 click 1
    wait_for "the menus close" '[ "$(menus)" -eq 0 ]'
}
# click_icon BUTTON: exactly one menu opens and stays the only one.
click_icon() {
    xdotool mousemove --window "$icon" 10 10 click "$1"
    wait_for "a menu opens on button $1" '[ "$(menus)" -ge 1 ]'
    holds "exactly one menu on button $1 (open: $(menus))" '[ "$(menus)" -eq 1 ]'
    close_menus
}

# The tray host starts after the program, as it may at login.
"$binary" config set displayMode both >/dev/null
start_program
run_in_background trayer --edge top --align right --widthtype request --height 32 \
    --SetDockType true --transparent false >"$root/trayer.log" 2>&1
wait_for "the icon joins the tray that started later" '[ "$(ours | wc -l)" -eq 2 ]'
holds "the icon stays in the tray" '[ "$(ours | wc -l)" -eq 2 ]'
icon="$(ours | grep -vx "$win")"

click_icon 1
click_icon 3
click_icon 1
echo "desktop tray clicks: ok"
