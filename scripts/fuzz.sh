#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with ASan and UBSan) and runs each for a while,
# starting from its corpus in fuzz/corpus (copied, so the tree stays as it is). A crash fails.
# Usage: scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in ini_read ini_edit fast_writer; do
    mkdir -p "$work/$target"
    cp fuzz/corpus/$target/* "$work/$target/"
    echo "fuzz: ${target}_fuzz for $seconds s"
    (cd "$work" && "$OLDPWD/build/fuzz/bin/${target}_fuzz" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -print_final_stats=1 "$work/$target" 2>&1 | tail -4)
done
echo "fuzz: no crash"
