#!/usr/bin/env bash
# Manual end-to-end check of the tray item, its menus, the ball's menus and the rate alert,
# on a private X server with a tray host (trayer) and a notification daemon (dunst).
#   sudo scripts/tray-alert-check.sh [out-dir]     default /tmp/vorn-tray-check
# Needs root for two network namespaces joined by a veth pair (the root namespace is left
# alone), a built build/src/vorn, and: xvfb trayer dunst xdotool imagemagick dbus curl python3.
set -euo pipefail
cd "$(dirname "$0")/.."
binary="$PWD/build/src/vorn"
out="${1:-/tmp/vorn-tray-check}"
mkdir -p "$out"
work="$(mktemp -d)"
head -c 30000000 /dev/urandom >"$work/big"

cleanup() {
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null
    ip netns del vorn-check1 2>/dev/null || true
    ip netns del vorn-check2 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add vorn-check1
ip netns add vorn-check2
ip link add vcheckA netns vorn-check1 type veth peer name vcheckB netns vorn-check2
ip -n vorn-check1 addr add 10.77.0.1/24 dev vcheckA
ip -n vorn-check2 addr add 10.77.0.2/24 dev vcheckB
for ns in vorn-check1 vorn-check2; do ip -n "$ns" link set lo up; done
ip -n vorn-check1 link set vcheckA up
ip -n vorn-check2 link set vcheckB up
ip netns exec vorn-check2 python3 -m http.server --bind 10.77.0.2 --directory "$work" 8000 \
    >/dev/null 2>&1 &
server=$!

# Runs inside the first namespace, on its own session bus.
cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -u
binary="$1" out="$2" work="$3"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export XDG_RUNTIME_DIR="$work/home/runtime" # its own: a running program would take the start over
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
Xvfb :77 -screen 0 1280x800x24 >/dev/null 2>&1 &
export DISPLAY=:77
sleep 1
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false --tint 0x303030 >/dev/null 2>&1 &
dunst -print >"$out/notifications.log" 2>&1 &
"$binary" config set displayMode both
"$binary" config set alertDownValue 1
"$binary" config set alertDownUnit KB
"$binary" >"$out/vorn.log" 2>&1 &
sleep 5

# Reads the body at about 300 KB/s for the given seconds.
slow_get() {
    python3 - "$1" <<'PY'
import socket, sys, time
s = socket.create_connection(("10.77.0.2", 8000))
s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16384)
s.sendall(b"GET /big HTTP/1.0\r\n\r\n")
end = time.time() + float(sys.argv[1])
while time.time() < end and s.recv(30000):
    time.sleep(0.1)
PY
}

read -r x y < <(xwininfo -name "岚" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
xdotool mousemove $((x + 100)) $((y + 40)) click 1; sleep 1
import -window root "$out/ball-menu.png"; xdotool key Escape; sleep 0.5
xdotool mousemove $((x + 100)) $((y + 40)) click 3; sleep 1
import -window root "$out/context-menu.png"; xdotool key Escape; sleep 0.5

slow_get 14 &
download=$!
sleep 8
xdotool mousemove 1268 16 click 1; sleep 1
import -window root "$out/tray-and-alert.png"; xdotool key Escape
wait "$download"
slow_get 8
sleep 1
kill $(jobs -p) 2>/dev/null
wait 2>/dev/null
INNER
chmod +x "$work/session.sh"
ip netns exec vorn-check1 dbus-run-session -- "$work/session.sh" "$binary" "$out" "$work" || true

echo "notifications shown: $(grep -c "summary: '网速超过设定阈值'" "$out/notifications.log" || true) (expected 1)"
echo "screenshots in $out"
