#!/usr/bin/env bash
# Accuracy against iperf3 on a shaped link: two network namespaces joined by a veth pair,
# each direction shaped with tc tbf; the engine's download and upload figures are compared
# with iperf3's 8-stream goodput on the same link. Needs root, iproute2, iperf3, nginx.
#   sudo bench/speedtest-accuracy.sh [BUILD_DIR] [RATES_MBIT...]
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true
rates=("${@:-100 500}")
[ ${#rates[@]} -eq 1 ] && read -r -a rates <<<"${rates[0]}"
vorn=$build/src/vorn
server_bin=$build/tests/speedtest/vorn_local_https_server
seconds=${SECONDS_PER_PHASE:-8}

srv=vorn_acc_srv
cli=vorn_acc_cli
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

ip netns add $srv
ip netns add $cli
ip link add vorn_acc0 type veth peer name vorn_acc1
ip link set vorn_acc0 netns $srv
ip link set vorn_acc1 netns $cli
ip -n $srv addr add $srv_ip/24 dev vorn_acc0
ip -n $cli addr add $cli_ip/24 dev vorn_acc1
for ns in $srv $cli; do ip -n $ns link set lo up; done
ip -n $srv link set vorn_acc0 up
ip -n $cli link set vorn_acc1 up

shape() {
    local rate=$1
    # A queue of about 50 ms at the rate, so 8 streams fill it without tail drops.
    local limit=$((rate * 1000000 / 8 / 20))
    for pair in "$srv vorn_acc0" "$cli vorn_acc1"; do
        set -- $pair
        tc -n "$1" qdisc replace dev "$2" root tbf rate "${rate}mbit" burst 256kb limit "$limit"
    done
}

mkfifo "$work/in"
ip netns exec $srv "$server_bin" $srv_ip 2 <"$work/in" >"$work/server.txt" &
exec 3>"$work/in"
for _ in $(seq 200); do grep -q '^nodes=' "$work/server.txt" 2>/dev/null && break; sleep 0.1; done
nodes=$(sed -n 's/^nodes=//p' "$work/server.txt")
ip netns exec $srv iperf3 -s -B $srv_ip >/dev/null 2>&1 &
iperf_pid=$!
sleep 0.5

iperf_mbps() { # extra iperf3 arguments; prints the receiver's goodput
    ip netns exec $cli iperf3 -c $srv_ip -P 8 -t "$seconds" -J "$@" |
        python3 -c 'import json,sys; print(round(json.load(sys.stdin)["end"]["sum_received"]["bits_per_second"]/1e6, 1))'
}

curl8_mbps() { # 8 parallel curl processes fetching the big file over HTTPS, for reference
    local total=0 pids=() url ca
    url=$(sed -n 's/^url=//p' "$work/server.txt")
    ca=$(sed -n 's/^ca=//p' "$work/server.txt")
    for i in $(seq 8); do
        ip netns exec $cli curl -s --http1.1 --cacert "$ca" --max-time "$seconds" -o /dev/null \
            -w '%{size_download}\n' "$url/big.bin" >"$work/curl.$i" &
        pids+=($!)
    done
    wait "${pids[@]}" || true
    for i in $(seq 8); do total=$((total + $(cat "$work/curl.$i"))); done
    awk -v t="$total" -v s="$seconds" 'BEGIN { printf "%.1f", t * 8 / s / 1e6 }'
}

printf '%-10s %-9s %10s %10s %7s %12s\n' link direction iperf3 engine ratio curl8_https
for rate in "${rates[@]}"; do
    shape "$rate"
    down_ref=$(iperf_mbps -R)
    up_ref=$(iperf_mbps)
    result=$(ip netns exec $cli env VORN_SPEEDTEST_PHASE_SECONDS="$seconds" HOME="$work" \
        XDG_DATA_HOME="$work" XDG_CONFIG_HOME="$work" \
        "$vorn" speedtest --nodes "$nodes" --node local --json 2>/dev/null)
    read -r down up < <(echo "$result" | python3 -c \
        'import json,sys; r=json.load(sys.stdin); print(round(r["downMbps"],1), round(r["upMbps"],1))')
    down_curl=$(curl8_mbps)
    for row in "download $down_ref $down $down_curl" "upload $up_ref $up -"; do
        set -- $row
        printf '%-10s %-9s %10s %10s %7s %12s\n' "${rate}Mbit" "$1" "$2" "$3" \
            "$(awk -v e="$3" -v r="$2" 'BEGIN { printf "%.3f", e / r }')" "$4"
    done
done
