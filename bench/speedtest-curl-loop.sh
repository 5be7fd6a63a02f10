#!/usr/bin/env bash
# One of the reference curl processes of speedtest-ceiling.sh: 10 MiB transfers one after
# another over one kept-alive connection (GETs of a range of the big file, or POSTs of the
# body streamed with -T, curl's cheapest upload), until the caller stops it; prints the bytes
# and seconds of each finished transfer on stderr, which is unbuffered, so a kill loses none.
#   speedtest-curl-loop.sh down|up URL CA BODY_FILE
set -uo pipefail
direction=$1 url=$2 ca=$3 body=$4
transfers=()
if [ "$direction" = down ]; then
    for _ in $(seq 1000); do transfers+=(-o /dev/null "$url/big.bin"); done
    exec curl -s --http1.1 --cacert "$ca" -r 0-10485759 \
        -w '%{stderr}%{size_download} %{time_total}\n' "${transfers[@]}"
fi
for _ in $(seq 1000); do transfers+=(-o /dev/null -T "$body" "$url/up"); done
exec curl -s --http1.1 --cacert "$ca" -X POST -H 'Content-Type: application/octet-stream' \
    -H 'Expect:' -w '%{stderr}%{size_upload} %{time_total}\n' "${transfers[@]}"
