#!/usr/bin/env bash
# Client ceiling on an unshaped veth pair between two network namespaces: the engine's
# download and upload figures against 8 parallel curl processes doing the same transfers to
# the same nginx (10 MiB GETs and POSTs of the engine's 10 MiB body, one after another over a
# kept-alive connection each), side by side in each round, with the CPU seconds per GB of each.
# Prints the ratios, their medians and the machine's load. Needs root, iproute2, curl,
# nginx, python3.
#   sudo bench/speedtest-ceiling.sh [BUILD_DIR] [SECONDS]      RUNS=5 by default
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-8}
runs=${RUNS:-5}
vorn=$build/src/vorn
server_bin=$build/tests/speedtest/vorn_local_https_server
here=$(dirname "$(realpath "$0")")

srv=vorn_ceil_srv_$$
cli=vorn_ceil_cli_$$
srv_if=vce$$s
cli_if=vce$$c
srv_ip=10.205.0.1
cli_ip=10.205.0.2
work=$(mktemp -d)
chmod 755 "$work"

cleanup() {
    exec 3>&- 2>/dev/null || true
    wait 2>/dev/null || true
    ip netns del "$srv" 2>/dev/null || true
    ip netns del "$cli" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$srv"
ip netns add "$cli"
ip link add "$srv_if" type veth peer name "$cli_if"
ip link set "$srv_if" netns "$srv"
ip link set "$cli_if" netns "$cli"
ip -n "$srv" addr add $srv_ip/24 dev "$srv_if"
ip -n "$cli" addr add $cli_ip/24 dev "$cli_if"
for ns in "$srv" "$cli"; do ip -n "$ns" link set lo up; done
ip -n "$srv" link set "$srv_if" up
ip -n "$cli" link set "$cli_if" up

mkfifo "$work/in"
ip netns exec "$srv" "$server_bin" $srv_ip 2 <"$work/in" >"$work/server.txt" &
exec 3>"$work/in"
for _ in $(seq 200); do grep -q '^url=' "$work/server.txt" 2>/dev/null && break; sleep 0.1; done
url=$(sed -n 's/^url=//p' "$work/server.txt")
[ -n "$url" ] || { echo "the local HTTPS server did not start" >&2; exit 1; }
ca=$(sed -n 's/^ca=//p' "$work/server.txt")
nodes=$(sed -n 's/^nodes=//p' "$work/server.txt")
head -c 10485760 /dev/zero | tr '\0' 'a' >"$work/body"

# Prints "Mbps cpu_s_per_GB" of 8 curl processes; $1 is down or up. Each process's rate is
# its finished transfers' bytes over their time, so the transfer cut off at the end costs
# curl nothing; the eight rates add up, as the eight run side by side.
curl8() {
    local direction=$1 pids=()
    for i in $(seq 8); do
        ip netns exec "$cli" /usr/bin/time -f '%U %S' -o "$work/curl-time.$i" \
            timeout "$seconds" bash "$here/speedtest-curl-loop.sh" "$direction" "$url" \
            "$ca" "$work/body" 2>"$work/curl.$i" &
        pids+=($!)
    done
    wait "${pids[@]}" || true
    for i in $(seq 8); do
        awk '{ bytes += $1; time += $2 } END { printf "%.0f %.6f\n", bytes, time }' "$work/curl.$i"
    done >"$work/curl-rates"
    tail -q -n 1 "$work"/curl-time.* | awk '{ cpu += $1 + $2 } END { print cpu }' >"$work/curl-cpu"
    awk -v cpu="$(cat "$work/curl-cpu")" '$2 > 0 { mbps += $1 * 8 / $2 / 1e6; bytes += $1 }
        END { printf "%.0f %.2f\n", mbps, cpu / (bytes / 1e9) }' "$work/curl-rates"
}

# Prints "down_Mbps up_Mbps down_cpu_s_per_GB up_cpu_s_per_GB" of one engine run.
engine() {
    ip netns exec "$cli" env VORN_SPEEDTEST_PHASE_SECONDS="$seconds" HOME="$work" \
        XDG_DATA_HOME="$work" XDG_CONFIG_HOME="$work" \
        python3 "$here/speedtest-phase-cpu.py" "$seconds" \
        "$vorn" speedtest --nodes "$nodes" --node local --json
}

printf '%-4s %8s %8s %6s %8s %8s %6s %12s %12s %12s %12s\n' run curl_dn vorn_dn ratio \
    curl_up vorn_up ratio curl_dn_s/GB vorn_dn_s/GB curl_up_s/GB vorn_up_s/GB
for run in $(seq "$runs"); do
    read -r cd cd_cpu < <(curl8 down)
    read -r cu cu_cpu < <(curl8 up)
    read -r ed eu ed_cpu eu_cpu < <(engine)
    dr=$(awk -v e="$ed" -v c="$cd" 'BEGIN { printf "%.3f", e / c }')
    ur=$(awk -v e="$eu" -v c="$cu" 'BEGIN { printf "%.3f", e / c }')
    echo "$dr $ur" >>"$work/ratios"
    printf '%-4s %8s %8.0f %6s %8s %8.0f %6s %12s %12s %12s %12s\n' "$run" "$cd" "$ed" "$dr" \
        "$cu" "$eu" "$ur" "$cd_cpu" "$ed_cpu" "$cu_cpu" "$eu_cpu"
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "median ratio: download $(cut -d' ' -f1 "$work/ratios" | median)," \
    "upload $(cut -d' ' -f2 "$work/ratios" | median)"
echo "load: $(uptime)"
