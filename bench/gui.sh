#!/usr/bin/env bash
# The window's speed under Xvfb. Needs the bench build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" xvfb xauth
xvfb-run -a -s "-screen 0 1280x800x24" "$root/build/bench/bin/gui_bench"
