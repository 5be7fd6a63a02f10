#!/usr/bin/env bash
# Accuracy against iperf3 on a shaped link: two network namespaces joined by a veth pair,
# each direction shaped with tc tbf; in each of RUNS rounds (10 by default) the engine's
# download and upload figures are compared with iperf3's 8-stream goodput measured on the
# same link just before. Then, for each queue length in QUEUES_MS (100, 5 and 300 ms at the
# rate by default), LOADED_RUNS rounds (3) compare the engine's latency under load with the
# median ICMP round trip (ping -i 0.2, its first second left out like the engine's warm-up)
# while iperf3 -P 8 loads the same direction, show the grade of the increase, and compare the
# download figure with and without the latency probes. RUNS=0 skips the first table.
# Needs root, iproute2, iputils-ping, iperf3, nginx, python3.
#   sudo bench/speedtest-accuracy.sh [BUILD_DIR] [RATES_MBIT...]
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true
rates=("${@:-100 500}")
[ ${#rates[@]} -eq 1 ] && read -r -a rates <<<"${rates[0]}"
vorn=$build/src/vorn
server_bin=$build/tests/speedtest/vorn_local_https_server
seconds=${SECONDS_PER_PHASE:-8}
runs=${RUNS:-10}
read -r -a queues <<<"${QUEUES_MS:-100 5 300}"
loaded_runs=${LOADED_RUNS:-3}

srv=vorn_acc_srv_$$
cli=vorn_acc_cli_$$
srv_if=vac$$s
cli_if=vac$$c
srv_ip=10.203.0.1
cli_ip=10.203.0.2
work=$(mktemp -d)
chmod 755 "$work"

cleanup() {
    exec 3>&- 2>/dev/null || true
    [ -n "${iperf_pid:-}" ] && kill "$iperf_pid" 2>/dev/null
    wait 2>/dev/null || true
    ip netns del $srv 2>/dev/null || true
    ip netns del $cli 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$srv"
ip netns add "$cli"
ip link add "$srv_if" type veth peer name "$cli_if"
ip link set "$srv_if" netns $srv
ip link set "$cli_if" netns $cli
ip -n $srv addr add $srv_ip/24 dev "$srv_if"
ip -n $cli addr add $cli_ip/24 dev "$cli_if"
for ns in $srv $cli; do ip -n $ns link set lo up; done
ip -n $srv link set "$srv_if" up
ip -n $cli link set "$cli_if" up

shape() {
    local rate=$1
    # A queue of about 50 ms at the rate, so 8 streams fill it without tail drops.
    local limit=$((rate * 1000000 / 8 / 20))
    for pair in "$srv $srv_if" "$cli $cli_if"; do
        set -- $pair
        tc -n "$1" qdisc replace dev "$2" root tbf rate "${rate}mbit" burst 256kb limit "$limit"
    done
}

shape_queue() { # rate in Mbit/s, queue in ms at that rate
    local rate=$1 limit=$(($1 * 1000000 / 8 * $2 / 1000))
    tc -n $srv qdisc replace dev "$srv_if" root tbf rate "${rate}mbit" burst 64kb limit "$limit"
    tc -n $cli qdisc replace dev "$cli_if" root tbf rate "${rate}mbit" burst 64kb limit "$limit"
}

mkfifo "$work/in"
ip netns exec $srv "$server_bin" $srv_ip 2 <"$work/in" >"$work/server.txt" &
exec 3>"$work/in"
for _ in $(seq 200); do grep -q '^nodes=' "$work/server.txt" 2>/dev/null && break; sleep 0.1; done
nodes=$(sed -n 's/^nodes=//p' "$work/server.txt")
[ -n "$nodes" ] || { echo "the local HTTPS server did not start" >&2; exit 1; }
ip netns exec $srv iperf3 -s -B $srv_ip >/dev/null 2>&1 &
iperf_pid=$!
sleep 0.5

iperf_mbps() { # extra iperf3 arguments; prints the receiver's goodput
    ip netns exec $cli iperf3 -c $srv_ip -P 8 -t "$seconds" -J "$@" |
        python3 -c 'import json,sys; print(round(json.load(sys.stdin)["end"]["sum_received"]["bits_per_second"]/1e6, 1))'
}

[ "$runs" -gt 0 ] && printf '%-9s %-4s %9s %9s %7s %9s %9s %7s\n' link run iperf_dn vorn_dn ratio \
    iperf_up vorn_up ratio
for rate in "${rates[@]}"; do
    [ "$runs" -gt 0 ] || break
    shape "$rate"
    : >"$work/ratios"
    for run in $(seq "$runs"); do
        down_ref=$(iperf_mbps -R)
        up_ref=$(iperf_mbps)
        result=$(ip netns exec $cli env VORN_SPEEDTEST_PHASE_SECONDS="$seconds" HOME="$work" \
            XDG_DATA_HOME="$work" XDG_CONFIG_HOME="$work" \
            "$vorn" speedtest --nodes "$nodes" --node local --json 2>/dev/null)
        read -r down up < <(echo "$result" | python3 -c \
            'import json,sys; r=json.load(sys.stdin); print(round(r["downMbps"],1), round(r["upMbps"],1))')
        read -r dr ur < <(awk -v d="$down" -v dref="$down_ref" -v u="$up" -v uref="$up_ref" \
            'BEGIN { printf "%.3f %.3f\n", d / dref, u / uref }')
        echo "$dr $ur" >>"$work/ratios"
        printf '%-9s %-4s %9s %9s %7s %9s %9s %7s\n' "${rate}Mbit" "$run" "$down_ref" "$down" \
            "$dr" "$up_ref" "$up" "$ur"
    done
    awk -v link="${rate}Mbit" '
        NR == 1 { dmin = dmax = $1; umin = umax = $2 }
        { dmin = $1 < dmin ? $1 : dmin; dmax = $1 > dmax ? $1 : dmax
          umin = $2 < umin ? $2 : umin; umax = $2 > umax ? $2 : umax; ds += $1; us += $2 }
        END { printf "%s over %d runs: download %.3f-%.3f (mean %.3f), upload %.3f-%.3f (mean %.3f)\n",
              link, NR, dmin, dmax, ds / NR, umin, umax, us / NR }' "$work/ratios"
done
[ "$runs" -gt 0 ] && echo "load: $(uptime)"

ping_under_load() { # extra iperf3 arguments; prints the median ICMP round trip in ms
    ip netns exec $cli iperf3 -c $srv_ip -P 8 -t $((seconds + 1)) "$@" >/dev/null &
    local load=$!
    sleep 0.2
    ip netns exec $cli ping -i 0.2 -w "$seconds" $srv_ip 2>/dev/null |
        python3 -c 'import re,statistics,sys
rtts = [float(m.group(2)) for m in (re.search(r"icmp_seq=(\d+) .*time=([\d.]+)", l) for l in sys.stdin)
        if m and int(m.group(1)) > 5]
print(round(statistics.median(rtts), 1) if rtts else "--")'
    wait $load || true
}

vorn_json() { # extra environment; prints the speed test's JSON
    ip netns exec $cli env VORN_SPEEDTEST_PHASE_SECONDS="$seconds" HOME="$work" \
        XDG_DATA_HOME="$work" XDG_CONFIG_HOME="$work" "$@" \
        "$vorn" speedtest --nodes "$nodes" --node local --json 2>/dev/null
}

within() { # measured reference: within 25 % or 5 ms
    awk -v m="$1" -v r="$2" 'BEGIN { d = m - r; if (d < 0) d = -d; t = r * 0.25; if (t < 5) t = 5;
        print (m != "--" && r != "--" && d <= t) ? "ok" : "OFF" }'
}

echo
printf '%-8s %-6s %-3s %8s %8s %-3s %8s %8s %-3s %6s %6s %-5s %8s %8s %7s %7s\n' link queue run \
    ping_dn vorn_dn ok ping_up vorn_up ok idle bloat grade dn_probe dn_plain cost up_Mbps
for rate in "${rates[@]}"; do
    for queue in "${queues[@]}"; do
        shape_queue "$rate" "$queue"
        for run in $(seq "$loaded_runs"); do
            ping_dn=$(ping_under_load -R)
            ping_up=$(ping_under_load)
            # A run that fails (a starved machine can time out) is a row of dashes, not the end.
            read -r idle dn up bloat grade mbps upmbps < <( (vorn_json || true) | python3 -c '
import json,sys; r=json.load(sys.stdin)
f=lambda v: "--" if v is None else round(v, 1)
print(f(r["latencyMs"]), f(r["loadedDownMs"]), f(r["loadedUpMs"]), f(r["bloatMs"]),
      r["bloatGrade"] or "--", f(r["downMbps"]), f(r["upMbps"]))' 2>/dev/null ||
                echo "-- -- -- -- -- -- --")
            plain=$( (vorn_json VORN_SPEEDTEST_LOADED_PROBES=0 || true) | python3 -c \
                'import json,sys; print(round(json.load(sys.stdin)["downMbps"], 1))' 2>/dev/null ||
                echo --)
            cost=$(awk -v a="$mbps" -v b="$plain" 'BEGIN { if (a == "--" || b == "--" || b == 0)
                print "--"; else printf "%+.1f%%", (b - a) / b * 100 }')
            printf '%-8s %-6s %-3s %8s %8s %-3s %8s %8s %-3s %6s %6s %-5s %8s %8s %7s %7s\n' \
                "${rate}M" "${queue}ms" "$run" "$ping_dn" "$dn" "$(within "$dn" "$ping_dn")" \
                "$ping_up" "$up" "$(within "$up" "$ping_up")" "$idle" "$bloat" "$grade" \
                "$mbps" "$plain" "$cost" "$upmbps"
        done
        echo "  load: $(uptime | sed 's/.*load average/load average/')"
    done
done
