#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when any is missing.
# Usage: scripts/install-deps.sh [extra packages...]
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang-format
    libjsoncpp-dev libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-translations-l10n fonts-wqy-microhei
    libcurl4-openssl-dev libssl-dev
    libcpp-httplib-dev libsqlite3-dev libcli11-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "error: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
