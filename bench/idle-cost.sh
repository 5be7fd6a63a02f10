#!/usr/bin/env bash
# CPU share and memory of the idle desktop program (only the ball open) under Xvfb.
#   bench/idle-cost.sh [seconds]      default 60; needs a built build/src/vorn and xvfb-run
#   VORN_DISPLAY_MODE=both bench/idle-cost.sh    the same with the tray item updating too
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
binary="$PWD/build/src/vorn"
home="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT

export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
# A runtime directory of its own, or a program already running would take the start over.
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
[ -n "${VORN_DISPLAY_MODE:-}" ] && "$binary" config set displayMode "$VORN_DISPLAY_MODE"
xvfb-run -a -s "-screen 0 1920x1080x24" "$binary" &
sleep 5
pid="$(pgrep -n -f "^$binary\$")"

# The traffic helper, where it runs (present and privileged), is asked once a second.
helper="$(pgrep -P "$pid" -f vorn-traffic-helper || true)"

ticks_per_second="$(getconf CLK_TCK)"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
start="$(cpu_ticks "$pid")"
[ -n "$helper" ] && helper_start="$(cpu_ticks "$helper")"
sleep "$seconds"
end="$(cpu_ticks "$pid")"
rss_kb="$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")"

awk -v used="$((end - start))" -v hz="$ticks_per_second" -v s="$seconds" -v rss="$rss_kb" 'BEGIN {
    printf "idle for %d s: CPU %.3f %% of one core, RSS %.1f MB\n", s, 100 * used / hz / s, rss / 1024
}'
if [ -n "$helper" ]; then
    awk -v used="$(($(cpu_ticks "$helper") - helper_start))" -v hz="$ticks_per_second" \
        -v s="$seconds" 'BEGIN { printf "its traffic helper: CPU %.3f %% of one core\n", 100 * used / hz / s }'
else
    echo "no traffic helper ran (per-application traffic from the socket table)"
fi
