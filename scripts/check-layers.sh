#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own or of a sibling
# feature, naming each offending #include. The layers are described in docs/ARCHITECTURE.md;
# this table is their executable form: a folder may include itself and what it lists.
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-src}

# folder (prefix under src/; "." is main.cpp)   folders it may include besides its own
table='
common
platform            common
settings            common platform
ui                  common platform settings
rates               common platform settings
traffic/core        common platform settings
traffic/windows     common platform settings ui traffic/core
speedtest/core      common platform settings
speedtest/windows   common platform settings ui speedtest/core
ball                common platform settings ui rates traffic/core
shell               common platform settings ui rates traffic/core traffic/windows speedtest/core speedtest/windows ball
cli                 common platform settings rates traffic/core speedtest/core
.                   shell cli common platform
helper
'

# Headers that exist under the root: an include naming anything else (a system header,
# a generated one, one beside the file) has no layer to check.
headers=$(cd "$root" && find . -type f -name '*.h' | sed 's|^\./||')

find "$root" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.mm' -o -name '*.c' \) -print0 |
    xargs -0 grep -HnE '^#\s*include\s*"' /dev/null |
    awk -v root="$root" -v table="$table" -v headers="$headers" '
        # The layer of a path under the root: the longest folder the table knows.
        function layer(path,    parts, n) {
            n = split(path, parts, "/")
            if (n == 1) return "."
            if ((parts[1] == "traffic" || parts[1] == "speedtest") && n > 2)
                return parts[1] "/" parts[2]
            return parts[1]
        }
        BEGIN {
            n = split(table, rows, "\n")
            for (i = 1; i <= n; i++) {
                if (split(rows[i], word, /[ \t]+/) == 0) continue
                known[word[1]] = 1
                for (j = 2; j in word; j++) may[word[1], word[j]] = 1
            }
            n = split(headers, list, "\n")
            for (i = 1; i <= n; i++) exists[list[i]] = 1
            status = 0
        }
        {
            colon = index($0, ":"); file = substr($0, 1, colon - 1); rest = substr($0, colon + 1)
            colon = index(rest, ":"); line = substr(rest, 1, colon - 1)
            match(rest, /"[^"]+"/); header = substr(rest, RSTART + 1, RLENGTH - 2)
            own = layer(substr(file, length(root) + 2))
            if (!(own in known)) {
                if (!(own in told)) print file ": folder \x27" own "\x27 has no layer in scripts/check-layers.sh"
                told[own] = 1; status = 1; next
            }
            if (!(header in exists)) next
            target = layer(header)
            if (target == own || (own, target) in may) next
            print file ":" line ": includes " header " (" own " may not include " target ")"
            status = 1
        }
        END { exit status }'
