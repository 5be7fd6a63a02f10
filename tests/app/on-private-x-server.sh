#!/usr/bin/env bash
# Runs a command on a private X server with a 1920x1080 screen. Display numbers are tried from a
# random start until the server gets one: it takes its lock atomically and refuses a number that
# is in use, so parallel runs never share a display. (With -displayfd the server writes no lock
# file, and a second one may take over the first one's number.)
#   on-private-x-server.sh COMMAND [ARGUMENTS...]
set -euo pipefail
dir="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT

# A server that starts with SIGUSR1 ignored sends it to its parent once it accepts clients.
ready=0
trap 'ready=1' USR1
first=$((200 + RANDOM % 300))
for number in $(seq "$first" $((first + 50))); do
    (
        trap '' USR1
        exec Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >"$dir/server.log" 2>&1
    ) &
    server=$!
    while [ "$ready" -eq 0 ] && kill -0 "$server" 2>/dev/null; do sleep 0.05; done
    [ "$ready" -eq 0 ] || break
    wait "$server" || true # the number was taken
    server=""
done
[ -n "$server" ] || { cat "$dir/server.log"; echo "no X server"; exit 2; }
export DISPLAY=":$number"
"$@"
