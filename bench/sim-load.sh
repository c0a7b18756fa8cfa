#!/usr/bin/env bash
# Starts quenla-sim on a fresh ledger, loads it with signed recharges from a loopback client,
# and checks that every answered recharge is in the ledger.
# Usage: bench/sim-load.sh [SECONDS] [CONNECTIONS]   (after: cmake --preset bench && cmake --build --preset bench)
set -euo pipefail
bin="$(cd "$(dirname "$0")/.." && pwd)/build/bench/bin"
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/quenla-sim" --listen 127.0.0.1:0 --db "$work/ledger.sqlite" > "$work/out" &
sim=$!
until grep -q listening "$work/out" 2>/dev/null; do sleep 0.05; done
port=$(sed -E 's/.*127\.0\.0\.1:([0-9]+).*/\1/' "$work/out")
"$bin/sim_load" "$port" "${1:-10}" "${2:-8}"
kill "$sim"; wait "$sim" 2>/dev/null || true
echo "ledger holds $("$bin/quenla-sim" --ledger --db "$work/ledger.sqlite" | tail -n 1)"
