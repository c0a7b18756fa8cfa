#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# Usage: ./test.sh [default|asan|windows]
#   default  the Linux build and its tests
#   asan     the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   windows  the Windows builds (mingw-w64) and their tests under Wine, and the Linux tool
#            driving Windows DLLs through Wine (installs Wine and the cross compiler)
set -euo pipefail
cd "$(dirname "$0")"
preset=${1:-default}
case "$preset" in default|asan|windows) ;; *) echo "usage: $0 [default|asan|windows]" >&2; exit 2 ;; esac

scripts/install-deps.sh
if [ "$preset" = windows ]; then
    exec scripts/test-windows.sh
fi
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
