#!/usr/bin/env bash
# Runs the desktop program (offscreen) in a network namespace while curl downloads from a
# shaped server in another one, then compares the day's totals in traffic.json with what
# /proc/net/dev counted over the same time, and shows the downloader's per-application bytes.
#   sudo bench/traffic-accuracy.sh [seconds]     default 120; needs iproute2, curl, python3
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
binary="$PWD/build/src/vorn"
srv="vorn-acc-srv-$$"
cli="vorn-acc-cli-$$"
home="$(mktemp -d)"
cleanup() {
    kill "${app:-}" "${server:-}" 2>/dev/null || true
    ip netns del "$srv" 2>/dev/null || true
    ip netns del "$cli" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

ip netns add "$srv"
ip netns add "$cli"
ip link add vacc0 netns "$cli" type veth peer name vacc1 netns "$srv"
ip -n "$cli" addr add 10.78.0.1/24 dev vacc0
ip -n "$srv" addr add 10.78.0.2/24 dev vacc1
for ns in "$cli" "$srv"; do ip -n "$ns" link set lo up; done
ip -n "$cli" link set vacc0 up
ip -n "$srv" link set vacc1 up
tc -n "$srv" qdisc add dev vacc1 root tbf rate 40mbit burst 64kb latency 100ms

ip netns exec "$srv" python3 -c '
import socket
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("10.78.0.2", 8080)); s.listen()
c, _ = s.accept(); c.recv(4096)
c.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n")
chunk = bytes(65536)
try:
    while True: c.sendall(chunk)
except OSError: pass
' &
server=$!
sleep 1

rx() { ip netns exec "$cli" awk '/vacc0:/ {sub(/.*:/, ""); print $1}' /proc/net/dev; }
tx() { ip netns exec "$cli" awk '/vacc0:/ {sub(/.*:/, ""); print $9}' /proc/net/dev; }
rx0="$(rx)"; tx0="$(tx)"
mkdir -m 700 "$home/runtime" # its own, or a program already running would take the start over
ip netns exec "$cli" env HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_RUNTIME_DIR="$home/runtime" \
    QT_QPA_PLATFORM=offscreen "$binary" &
app=$!
sleep 2
ip netns exec "$cli" curl -s -o /dev/null --max-time "$seconds" http://10.78.0.2:8080/ || true
sleep 2
echo "periodic save during the run: $(grep -c totalIn "$home/data/Vorn/traffic.json") day(s) in the file"
kill -TERM "$app"; wait "$app" || true
rx1="$(rx)"; tx1="$(tx)"

python3 - "$home/data/Vorn/traffic.json" "$((rx1 - rx0))" "$((tx1 - tx0))" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
rx, tx = int(sys.argv[2]), int(sys.argv[3])
day = data[max(data)]
print(f"/proc/net/dev: in {rx} out {tx}")
print(f"traffic.json : in {day['totalIn']} out {day['totalOut']}  "
      f"(in {100 * (day['totalIn'] - rx) / rx:+.3f} %)")
for name, app in sorted(day["apps"].items(), key=lambda kv: -kv[1]["in"]):
    print(f"  app {name}: in {app['in']} ({100 * app['in'] / rx:.1f} % of the interface)")
PY
