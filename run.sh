#!/usr/bin/env bash
# Installs what is missing, builds, and starts CorvaneText in ./run/, where its two ini files
# (Veltrano.ini, corvane.ini) live. When nothing listens on 127.0.0.1:1301 it also starts the
# simulated back end quenla-sim there, with its ledger in ./run/quenla-sim.sqlite, and stops it
# when the window closes.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display: DISPLAY and WAYLAND_DISPLAY are not set." >&2
    echo "CorvaneText is a desktop program. Run it in a desktop session, or under a virtual" >&2
    echo "display: apt-get install xvfb && xvfb-run -a ./run.sh" >&2
    exit 1
fi

scripts/install-deps.sh
[ -f build/default/CMakeCache.txt ] || cmake --preset default
cmake --build --preset default --target CorvaneText corvane corvane-host quenla-sim corvanetext-cli

# A Windows payment library runs under Wine: install it only when one is to be loaded.
case "${CORVANETEXT_PAYLIB:-}" in
    *.dll|*.DLL) scripts/install-wine.sh ;;
    *) [ -f build/default/bin/dll/corvane.dll ] && scripts/install-wine.sh ;;
esac

mkdir -p run
cd run
sim=
if ! (exec 3<>/dev/tcp/127.0.0.1/1301) 2>/dev/null; then
    "$root/build/default/bin/quenla-sim" --db quenla-sim.sqlite > quenla-sim.log 2>&1 &
    sim=$!
    trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null' EXIT
    for _ in $(seq 100); do
        grep -q listening quenla-sim.log 2>/dev/null && break
        kill -0 "$sim" 2>/dev/null || { cat quenla-sim.log >&2; exit 1; }
        sleep 0.05
    done
    echo "quenla-sim started on 127.0.0.1:1301 (ledger: run/quenla-sim.sqlite, log: run/quenla-sim.log)"
fi
"$root/build/default/bin/CorvaneText" "$@"
