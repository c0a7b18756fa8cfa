#!/usr/bin/env bash
# Takes docs/screenshot.png of the real window under Xvfb: a recharge composed and sent to the
# simulated back end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh xvfb xauth xdotool imagemagick
work=$(mktemp -d)
export CORVANE_SHOT_DIR=$work
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -e
    DISPLAY=$DISPLAY ./run.sh > "$CORVANE_SHOT_DIR/run.log" 2>&1 &
    for _ in $(seq 600); do
        win=$(xdotool search --name "支付测试程序" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
        sleep 0.2
    done
    [ -n "${win:-}" ] || { cat "$CORVANE_SHOT_DIR/run.log"; exit 1; }
    sleep 1
    xdotool windowmove "$win" 0 0
    sleep 0.5
    # The "充值" radio button of the recharge page, then Ctrl+Enter to send.
    xdotool mousemove --window "$win" 70 250 click 1
    sleep 0.5
    xdotool key --window "$win" ctrl+Return
    sleep 1
    import -window root -crop 1130x660+0+0 docs/screenshot.png
    xdotool key --window "$win" Escape 2>/dev/null || true
    wait
'
rm -rf "$work"
echo "docs/screenshot.png written"
