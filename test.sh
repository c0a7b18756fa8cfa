#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# Usage: ./test.sh [default|asan]   (asan: AddressSanitizer and UndefinedBehaviorSanitizer)
set -euo pipefail
cd "$(dirname "$0")"
preset=${1:-default}
case "$preset" in default|asan) ;; *) echo "usage: $0 [default|asan]" >&2; exit 2 ;; esac

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
