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
# The traffic helper, where it is built: where the program looks for it, and (installing as root
# into no DESTDIR) with the capabilities it needs.
if [ -f "$1/src/vorn-traffic-helper" ]; then
    helper="$prefix/libexec/vorn/vorn-traffic-helper"
    [ -x "$helper" ] || { echo "FAIL: $helper not installed"; exit 1; }
    if [ "$(id -u)" -eq 0 ]; then
        getcap "$helper" | grep -q 'cap_net_admin,cap_perfmon,cap_bpf=ep' \
            || { echo "FAIL: $helper has no capabilities: $(getcap "$helper")"; exit 1; }
    fi
fi
echo "install check: ok"
