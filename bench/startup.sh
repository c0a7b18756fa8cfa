#!/usr/bin/env bash
# Start-up to the window shown: CorvaneText's main window beside a minimal Qt dialog, whole
# processes under Xvfb, timed with hyperfine. Needs the bench build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" xvfb xauth hyperfine
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
xvfb-run -a hyperfine --warmup 3 --runs 200 -N \
    "$root/build/bench/bin/startup_probe minimal" "$root/build/bench/bin/startup_probe tool"
