#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Vorn needs, only those that are missing.
#   scripts/install-deps.sh run    building and running the program
#   scripts/install-deps.sh test   also what the test suite needs
set -euo pipefail

run_packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-wayland libxcb1-dev libcurl4-openssl-dev libssl-dev libgtest-dev libgmock-dev
    libbenchmark-dev fonts-noto-cjk fonts-noto-color-emoji locales
)
test_packages=(
    clang libclang-rt-dev nginx openssl xvfb xauth xdotool dbus x11-utils
    iproute2 iputils-ping tzdata iperf3 desktop-file-utils appstream trayer openbox weston
)
# vorn-traffic-helper (every protocol per application): optional for running, built by the tests.
helper_packages=(clang libbpf-dev bpftool libcap2-bin)

wanted=("${run_packages[@]}")
[ "${1:-run}" = test ] && wanted+=("${test_packages[@]}" "${helper_packages[@]}")

missing_of() {
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' \
            || echo "$package"
    done
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "$@" >/dev/null
}

missing=($(missing_of "${wanted[@]}"))
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    install_packages "${missing[@]}"
fi

if [ "${1:-run}" = run ]; then
    missing=($(missing_of "${helper_packages[@]}"))
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing (optional, for vorn-traffic-helper): ${missing[*]}"
        install_packages "${missing[@]}" \
            || echo "Not installed: vorn-traffic-helper will not be built (TCP-only per-app traffic)"
    fi
fi

# The formatting tests also run under a comma-decimal locale.
if [ "${1:-run}" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi
