#!/usr/bin/env bash
# The real program for a long run on a private X server with a tray host (trayer), showing both
# the ball and the tray item: its resident memory every minute. After the warm-up it must grow
# by less than 1 MB; the curve is printed either way.
#   bench/soak.sh VORN_BINARY [MINUTES]     default 30 minutes; needs Xvfb, xdotool and trayer
set -euo pipefail
binary="$(realpath "$1")"
minutes="${2:-30}"
warmup_minutes=2
limit_kb=1024

if [ -z "${VORN_SOAK_DISPLAY_READY:-}" ]; then
    VORN_SOAK_DISPLAY_READY=1 exec "$(dirname "$0")/../tests/app/on-private-x-server.sh" \
        "$0" "$binary" "$minutes"
fi

root="$(mktemp -d)"
tray=""
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    [ -z "$tray" ] || kill "$tray" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
export HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# wait_for WHAT CONDITION: polls the condition for up to 20 s.
wait_for() {
    for _ in $(seq 200); do
        if eval "$2" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    echo "soak: $1 did not happen" >&2
    exit 2
}

"$binary" config set displayMode both >/dev/null
"$binary" 2>"$root/vorn.log" &
pid=$!
wait_for "the ball" 'xdotool search --onlyvisible --name "^岚$"'
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >/dev/null 2>&1 &
tray=$!
# The tray icon is our second visible window, embedded in trayer's panel.
wait_for "the tray icon" '[ "$(xdotool search --onlyvisible --class "^vorn$" | wc -l)" -ge 2 ]'

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status"; }
echo "minute  RSS (kB)"
baseline=""
for minute in $(seq 0 "$minutes"); do
    [ "$minute" -eq 0 ] || sleep 60
    kill -0 "$pid" 2>/dev/null || { echo "soak: the program exited" >&2; cat "$root/vorn.log" >&2; exit 2; }
    rss="$(rss_kb)"
    printf '%6d  %8d\n' "$minute" "$rss"
    [ "$minute" -ne "$warmup_minutes" ] || baseline="$rss"
done
growth=$((rss - baseline))
echo "growth after the ${warmup_minutes}-minute warm-up: ${growth} kB (limit ${limit_kb} kB)"
[ "$growth" -lt "$limit_kb" ]
