#!/usr/bin/env bash
# Installs what running a Windows payment library from Linux needs: Wine (its 32-bit half
# after adding the i386 architecture), the zh_CN.UTF-8 locale (Wine takes the ANSI code page
# 936 from it, and file names with Chinese characters need it), and the tool's Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
    "${sudo[@]}" apt-get update -qq
fi
scripts/install-deps.sh wine wine64 wine32:i386 locales
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "install-wine: generating the zh_CN.UTF-8 locale"
    "${sudo[@]}" sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'zh_CN.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo[@]}" locale-gen >/dev/null
fi
scripts/wine-prefix.sh
