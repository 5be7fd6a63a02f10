#!/usr/bin/env bash
# The tray item through a StatusNotifierItem host (a stand-in watcher on a private session bus)
# on an X server: the item exports its menu for the host to draw, and the host's "activate"
# (a left click) and "context menu" requests (a host that draws no menu itself) each open
# exactly one menu.
#   desktop-tray-sni.sh VORN_BINARY WATCHER_BINARY   (inside dbus-run-session and an X server)
set -euo pipefail
binary="$1"
watcher="$2"
source "$(dirname "$0")/desktop-session.sh"

menus() { echo $(($(xdotool search --onlyvisible --class '^vorn$' | wc -l) - 1)); }
# ask METHOD: what a host sends on a click, at a point away from the ball.
ask() {
    gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
        --method "org.kde.StatusNotifierItem.$1" 600 400 >/dev/null
    wait_for "a menu opens on $1" '[ "$(menus)" -ge 1 ]'
    holds "exactly one menu on $1 (open: $(menus))" '[ "$(menus)" -eq 1 ]'
    xdotool mousemove 960 700 click 1
    wait_for "the menu closes" '[ "$(menus)" -eq 0 ]'
}

run_in_background "$watcher" >"$root/items"
wait_for "the watcher" 'gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher'
"$binary" config set displayMode both >/dev/null
start_program
wait_for "the item registers" '[ -s "$root/items" ]'
item="$(head -1 "$root/items")"
properties="$(gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.GetAll org.kde.StatusNotifierItem)"
grep -q "'Menu': <objectpath '/[A-Za-z]" <<<"$properties" || fail "no menu exported: $properties"

ask Activate
ask ContextMenu
ask Activate
echo "desktop tray through a StatusNotifierItem host: ok"
