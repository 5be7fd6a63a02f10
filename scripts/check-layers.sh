#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own or of a sibling
# feature, naming each offending #include. The layers are described in docs/ARCHITECTURE.md;
# this table is their executable form: a folder may include itself and what it lists.
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-src}

# folder (prefix under src/)   folders it may include besides its own
allowed() {
    case $1 in
        common)             echo "" ;;
        platform)           echo "common" ;;
        settings)           echo "common platform" ;;
        ui)                 echo "common platform settings" ;;
        rates)              echo "common platform settings" ;;
        traffic/core)       echo "common platform settings" ;;
        traffic/windows)    echo "common platform settings ui traffic/core" ;;
        speedtest/core)     echo "common platform settings" ;;
        speedtest/windows)  echo "common platform settings ui speedtest/core" ;;
        ball)               echo "common platform settings ui rates traffic/core" ;;
        shell)              echo "common platform settings ui rates traffic/core traffic/windows speedtest/core speedtest/windows ball" ;;
        cli)                echo "common platform settings rates traffic/core speedtest/core" ;;
        .)                  echo "shell cli common platform" ;; # main.cpp
        helper)             echo "" ;;
        *)                  echo "?" ;;
    esac
}

# The layer of a path under src/: the longest folder the table knows.
layer_of() {
    local path=$1
    case $path in
        traffic/core/* | traffic/windows/* | speedtest/core/* | speedtest/windows/*)
            echo "${path%%/*}/$(cut -d/ -f2 <<<"$path")" ;;
        */*) echo "${path%%/*}" ;;
        *) echo "." ;;
    esac
}

status=0
while IFS= read -r -d '' file; do
    rel=${file#"$root"/}
    own=$(layer_of "$rel")
    may=$(allowed "$own")
    if [ "$may" = "?" ]; then
        echo "$file: folder '$own' has no layer in scripts/check-layers.sh"
        status=1
        continue
    fi
    while IFS= read -r line; do
        header=$(sed -E 's/^[0-9]+:#\s*include\s*"([^"]+)".*/\1/' <<<"$line")
        [ -e "$root/$header" ] || continue # same-folder and generated headers
        target=$(layer_of "$header")
        [ "$target" = "$own" ] && continue
        case " $may " in *" $target "*) continue ;; esac
        echo "$file:${line%%:*}: includes $header ($own may not include $target)"
        status=1
    done < <(grep -nE '^#\s*include\s*"' "$file" || true)
done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.mm' -o -name '*.c' \) -print0)
exit $status
