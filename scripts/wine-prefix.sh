#!/usr/bin/env bash
# Creates, once, the Wine prefix the Windows host and the Windows tests run in:
# $WINEPREFIX, else ~/.cache/corvanetext/wine. Takes several seconds the first time.
set -euo pipefail
prefix=${WINEPREFIX:-$HOME/.cache/corvanetext/wine}
[ -f "$prefix/system.reg" ] && exit 0
mkdir -p "$(dirname "$prefix")"
echo "wine-prefix: creating $prefix"
# Where this machine runs no 32-bit programs, only Wine's 64-bit half works.
loader=wine
/usr/lib/wine/wine --version >/dev/null 2>&1 || loader=/usr/lib/wine/wine64
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" $loader wineboot --init \
    >/dev/null 2>&1 || true
WINEPREFIX=$prefix wineserver --wait 2>/dev/null || true
[ -f "$prefix/system.reg" ] || { echo "wine-prefix: could not create $prefix" >&2; exit 1; }
