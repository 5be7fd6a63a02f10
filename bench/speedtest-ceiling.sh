#!/usr/bin/env bash
# Client ceiling on loopback HTTPS: the engine's download figure against 8 parallel curl
# processes fetching the same file from the same nginx, and the engine's CPU time per GB.
#   bench/speedtest-ceiling.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-5}
vorn=$build/src/vorn
server_bin=$build/tests/speedtest/vorn_local_https_server

work=$(mktemp -d)
trap 'exec 3>&-; wait 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/in"
"$server_bin" 127.0.0.1 2 <"$work/in" >"$work/server.txt" &
exec 3>"$work/in"
for _ in $(seq 100); do grep -q '^url=' "$work/server.txt" 2>/dev/null && break; sleep 0.1; done
url=$(sed -n 's/^url=//p' "$work/server.txt")
ca=$(sed -n 's/^ca=//p' "$work/server.txt")
nodes=$(sed -n 's/^nodes=//p' "$work/server.txt")

curl_mbps() {
    local total=0 pids=()
    for i in $(seq 8); do
        /usr/bin/time -f '%U %S' -o "$work/curl-time.$i" \
            curl -s --http1.1 --cacert "$ca" --max-time "$seconds" -o /dev/null \
            -w '%{size_download}\n' "$url/big.bin" >"$work/curl.$i" &
        pids+=($!)
    done
    wait "${pids[@]}" || true
    for i in $(seq 8); do total=$((total + $(cat "$work/curl.$i"))); done
    cat "$work"/curl-time.* | awk -v t="$total" -v s="$seconds" \
        '/^[0-9.]+ [0-9.]+$/ { cpu += $1 + $2 } END { printf "%.0f %.2f\n", t * 8 / s / 1e6, cpu / (t / 1e9) }'
}

engine_run() {
    VORN_SPEEDTEST_PHASE_SECONDS=$seconds /usr/bin/time -f '%U %S' -o "$work/time" \
        "$vorn" speedtest --nodes "$nodes" --node local --json 2>/dev/null >"$work/engine.json"
    python3 - "$work/engine.json" "$work/time" "$seconds" <<'PY'
import json, sys
result = json.load(open(sys.argv[1]))
user, system = map(float, open(sys.argv[2]).read().split()[-2:])
seconds = float(sys.argv[3])
gigabytes = (result["downMbps"] + result["upMbps"]) * 1e6 / 8 * seconds / 1e9
print(f'{result["downMbps"]:.0f} {result["upMbps"]:.0f} {user + system:.2f} {(user + system) / gigabytes:.2f}')
PY
}

# cpu_s/GB: the engine's over the whole run (download and upload bytes); curl's for its fetch.
printf '%-4s %11s %12s %6s %10s %7s %13s %11s\n' run curl8_Mbps engine_Mbps ratio engine_up cpu_s engine_cpu/GB curl_cpu/GB
for run in $(seq "${RUNS:-3}"); do
    read -r c curl_per_gb < <(curl_mbps)
    read -r down up cpu per_gb < <(engine_run)
    ratio=$(awk -v e="$down" -v c="$c" 'BEGIN { printf "%.2f", e / c }')
    printf '%-4s %11s %12s %6s %10s %7s %13s %11s\n' "$run" "$c" "$down" "$ratio" "$up" "$cpu" \
        "$per_gb" "$curl_per_gb"
done
