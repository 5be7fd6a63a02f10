# Sourced by the desktop scripts: private homes and runtime directory, polling, the ball.
# Set binary before sourcing; everything started through run_in_background and everything
# written under $root is removed on exit.
root="$(mktemp -d)"
background=()
cleanup() {
    local process
    for process in "${background[@]}"; do kill "$process" 2>/dev/null || true; done
    for process in "${background[@]}"; do wait "$process" 2>/dev/null || true; done
    rm -rf "$root"
}
trap cleanup EXIT
export HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
# One desktop program runs per runtime directory: a private one keeps others' programs out.
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
log="$root/vorn.log"
settings="$XDG_CONFIG_HOME/Vorn/Vorn.conf"
win=""

fail() {
    echo "FAIL: $*"
    [ ! -f "$log" ] || cat "$log"
    exit 1
}
# wait_for WHAT CONDITION: polls the condition for up to 30 s of wall time, however slowly the
# checks themselves run on a busy machine.
wait_for() {
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if eval "$2" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    fail "$1 (window at $(position 2>/dev/null); settings: $(tr '\n' ' ' 2>/dev/null <"$settings"))"
}
# holds WHAT CONDITION: the condition stays true for a second, as it is when nothing follows.
holds() {
    for _ in $(seq 10); do
        eval "$2" >/dev/null 2>&1 || fail "$1"
        sleep 0.1
    done
}
# run_in_background COMMAND...: starts it, leaves its pid in $started.
run_in_background() {
    "$@" &
    started=$!
    background+=("$started")
}

balls() { xdotool search --onlyvisible --name '^岚$' | wc -l; }
position() { xdotool getwindowgeometry --shell "$win" | grep -E '^[XY]=' | tr '\n' ' '; }
at() { [ "$(position)" = "X=$1 Y=$2 " ]; }
stored() { grep -qxF "$1" "$settings"; }
# start_program: the desktop program in the background (pid in $pid), its ball in $win.
start_program() {
    run_in_background "$binary" 2>>"$log"
    pid=$started
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
