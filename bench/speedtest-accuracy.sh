#!/usr/bin/env bash
# Accuracy against iperf3 on a shaped link: two network namespaces joined by a veth pair,
# each direction shaped with tc tbf; in each of RUNS rounds (10 by default) the engine's
# download and upload figures are compared with iperf3's 8-stream goodput measured on the
# same link just before. Needs root, iproute2, iperf3, nginx, python3.
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

printf '%-9s %-4s %9s %9s %7s %9s %9s %7s\n' link run iperf_dn vorn_dn ratio iperf_up vorn_up ratio
for rate in "${rates[@]}"; do
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
echo "load: $(uptime)"
