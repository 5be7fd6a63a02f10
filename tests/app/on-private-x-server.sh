#!/usr/bin/env bash
# Runs a command on a private X server with a 1920x1080 screen. The server picks a free display
# number itself, so parallel runs never race for one the way `xvfb-run -a` can.
#   on-private-x-server.sh COMMAND [ARGUMENTS...]
set -euo pipefail
dir="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$dir/display" >"$dir/server.log" 2>&1 &
server=$!
read -r number <"$dir/display" || { cat "$dir/server.log"; echo "no X server"; exit 2; }
export DISPLAY=":$number"
"$@"
