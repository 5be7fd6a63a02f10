#!/usr/bin/env bash
# iperf3 over an unshaped veth pair between two network namespaces, side by side without and
# with vorn-traffic-helper's programs attached (alternating, both directions), with the load
# of the machine before and after. The helper counts the client's namespace; the server's end
# gets another interface index, as a remote peer's packets would not meet a counted link.
# Then one more pass with the kernel's BPF statistics on (kernel.bpf_stats_enabled, restored
# after), for the programs' own time per packet; it is not part of the comparison, because
# the statistics' clock reads cost time themselves.
#   sudo bench/helper-throughput.sh [rounds] [seconds]     default 5 rounds of 5 s per run
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
seconds="${2:-5}"
helper="$PWD/build/src/vorn-traffic-helper"
[ -x "$helper" ] || { echo "build vorn-traffic-helper first"; exit 1; }
a="vorn-thr-a-$$"
b="vorn-thr-b-$$"
work="$(mktemp -d)"
stats_before="$(sysctl -n kernel.bpf_stats_enabled)"
cleanup() {
    sysctl -qw kernel.bpf_stats_enabled="$stats_before"
    exec 3>&- 2>/dev/null || true
    [ -n "${helper_pid:-}" ] && kill "$helper_pid" 2>/dev/null
    [ -f "$work/iperf3.pid" ] && kill "$(cat "$work/iperf3.pid")" 2>/dev/null
    ip netns del "$a" 2>/dev/null || true
    ip netns del "$b" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$a"
ip netns add "$b"
ip link add "vta$$" netns "$a" index 101 type veth peer name "vtb$$" netns "$b" index 102
ip -n "$a" addr add 10.81.0.1/24 dev "vta$$"
ip -n "$b" addr add 10.81.0.2/24 dev "vtb$$"
for ns in "$a" "$b"; do ip -n "$ns" link set lo up; done
ip -n "$a" link set "vta$$" up
ip -n "$b" link set "vtb$$" up
ip netns exec "$b" iperf3 -s -D -B 10.81.0.2 -I "$work/iperf3.pid" >/dev/null
sleep 1

# Gbit/s of one run; reverse when $1 is -R.
run() {
    ip netns exec "$a" iperf3 -c 10.81.0.2 -t "$seconds" -J ${1:-} |
        python3 -c 'import json,sys; print(json.load(sys.stdin)["end"]["sum_received"]["bits_per_second"]/1e9)'
}

# nsenter, not "ip netns exec": that remounts /sys and hides the cgroup2 hierarchy.
attach() {
    mkfifo "$work/in"
    nsenter --net="/run/netns/$a" "$helper" <"$work/in" >"$work/out" &
    helper_pid=$!
    exec 3>"$work/in"
    echo sample >&3
    for _ in $(seq 50); do [ -s "$work/out" ] && return; sleep 0.1; done
    echo "the helper did not answer"; exit 1
}
# Run count and time of the helper's programs (by their names: run no other helper meanwhile).
program_stats() {
    bpftool prog show -j | python3 -c '
import json, sys
for prog in json.load(sys.stdin):
    if prog.get("name") in ("record_owner", "count_received", "count_sent"):
        print(prog["name"], prog.get("run_cnt", 0), prog.get("run_time_ns", 0))
' >>"$work/program-stats"
}
detach() {
    exec 3>&-
    wait "$helper_pid"
    helper_pid=
    rm -f "$work/in" "$work/out"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
results=()
for round in $(seq "$rounds"); do
    up_without="$(run)"; down_without="$(run -R)"
    attach
    up_with="$(run)"; down_with="$(run -R)"
    detach
    printf 'round %d  without: %6.2f up %6.2f down   with: %6.2f up %6.2f down  Gbit/s\n' \
        "$round" "$up_without" "$down_without" "$up_with" "$down_with"
    results+=("$up_without $down_without $up_with $down_with")
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%s\n' "${results[@]}" | python3 -c '
import statistics, sys
rows = [list(map(float, line.split())) for line in sys.stdin]
cols = list(zip(*rows))
for name, without, with_ in (("up", 0, 2), ("down", 1, 3)):
    a, b = statistics.median(cols[without]), statistics.median(cols[with_])
    print(f"{name}: median {a:.2f} Gbit/s without, {b:.2f} with: {100 * b / a:.1f} %")
total_without = sum(map(sum, (cols[0], cols[1])))
total_with = sum(map(sum, (cols[2], cols[3])))
print(f"all runs: {100 * total_with / total_without:.1f} % of the throughput without the helper")
'
sysctl -qw kernel.bpf_stats_enabled=1
attach
run >/dev/null
run -R >/dev/null
program_stats
detach
python3 - "$work/program-stats" <<'PY'
import collections, sys
runs, time = collections.Counter(), collections.Counter()
for line in open(sys.argv[1]):
    name, count, ns = line.split()
    runs[name] += int(count)
    time[name] += int(ns)
for name in sorted(runs):
    if runs[name]:
        print(f"{name}: {runs[name]} runs, {time[name] / runs[name]:.0f} ns each")
PY
