#!/usr/bin/env bash
# Installs the build into a temporary prefix and validates what a desktop shows from it.
#   install-check.sh BUILD_DIR
set -euo pipefail
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
for file in bin/vorn share/applications/vorn.desktop share/icons/hicolor/scalable/apps/vorn.svg \
    share/metainfo/io.github.vorn.Vorn.metainfo.xml; do
    [ -f "$prefix/$file" ] || { echo "FAIL: $file not installed"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/vorn.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.github.vorn.Vorn.metainfo.xml"
"$prefix/bin/vorn" --version
echo "install check: ok"
