#!/usr/bin/env bash
# One of the reference curl processes of speedtest-ceiling.sh: fetches the big file, or posts
# the body again and again, until SECONDS are up; prints the bytes of each transfer.
#   speedtest-curl-loop.sh down|up SECONDS URL CA BODY_FILE
set -uo pipefail
direction=$1 seconds=$2 url=$3 ca=$4 body=$5
end=$(($(date +%s%N) + seconds * 1000000000))
while :; do
    left_ms=$(((end - $(date +%s%N)) / 1000000))
    [ "$left_ms" -gt 50 ] || break
    max_time=$(awk -v m="$left_ms" 'BEGIN { printf "%.3f", m / 1000 }')
    if [ "$direction" = down ]; then
        curl -s --http1.1 --cacert "$ca" --max-time "$max_time" -o /dev/null \
            -w '%{size_download}\n' "$url/big.bin"
        break
    fi
    curl -s --http1.1 --cacert "$ca" --max-time "$max_time" -o /dev/null \
        -H 'Content-Type: application/octet-stream' -H 'Expect:' \
        --data-binary "@$body" -w '%{size_upload}\n' "$url/up"
done
