# Sourced by ./test and its scripts: "stage NAME" ends the running stage and starts the next,
# "stage_end" ends the last. Each end prints the stage's wall time and the machine's load, so
# a run's log shows where its time went.
stage_name=""
stage_started=0
stage_end() {
    if [ -n "$stage_name" ]; then
        printf '⏱ %s: %d s (load %s)\n' "$stage_name" "$((SECONDS - stage_started))" \
            "$(cut -d' ' -f1-3 /proc/loadavg)"
    fi
    stage_name=""
}
stage() {
    stage_end
    stage_name="$1"
    stage_started=$SECONDS
}
