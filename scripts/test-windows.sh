#!/usr/bin/env bash
# The Windows builds and their tests: builds the 32-bit Windows tool (preset windows: CLI,
# corvane-host.exe, the stand-in dll\corvane.dll), runs the Windows tests under Wine, and then
# the Linux tests that drive Windows DLLs through the Wine host. Where this machine runs no
# 32-bit programs (Wine's 32-bit half cannot start), the tests run on the 64-bit Windows build
# (preset windows64) instead, from the same sources; the 32-bit build is still made.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/windows-deps.sh i686
cmake --preset windows
cmake --build --preset windows

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    tested=windows
else
    echo "test-windows: this machine runs no 32-bit programs; testing the 64-bit Windows build"
    scripts/windows-deps.sh x86_64
    cmake --preset windows64
    cmake --build --preset windows64
    tested=windows64
fi
ctest --preset "$tested"

# The Linux tool with Windows DLLs, through corvane-host.exe under Wine.
[ -f build/default/CMakeCache.txt ] || cmake --preset default
cmake --build --preset default --target cli_test corvanetext-cli corvane-host quenla-sim
CORVANE_WINDOWS_BUILD=$(pwd)/build/$tested CORVANE_WINDOWS32_BUILD=$(pwd)/build/windows \
    ctest --preset default -R '^WineHost\.'
