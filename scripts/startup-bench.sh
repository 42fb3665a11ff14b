#!/bin/bash
# Start-up benchmark: from exec to a visible window, vimbrel beside a bare browser view, each
# started with no address (as the menu entry starts it) and with one, in alternating rounds on
# a virtual display. Prints the medians and their ratios. Not a test: only the ratios compare
# on a shared machine. Needs xvfb and the X client library's headers (installed when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"
rounds="${ROUNDS:-7}"
if ! command -v Xvfb > /dev/null || [ ! -e /usr/include/xcb/xcb.h ]; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get install -y --no-install-recommends xvfb libxcb1-dev > /dev/null
    cmake "$build" > /dev/null  # finds the X client library for the watcher
fi
cmake --build "$build" --target vimbrel bare_view map_watch > /dev/null

home=$(mktemp -d)
page=$(mktemp -d)
# A display of Xvfb's choosing, once it is ready for clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$page/display" > /dev/null 2>&1 &
xvfb=$!
until [ -s "$page/display" ]; do sleep 0.05; done
display=":$(head -1 "$page/display")"
echo '<p>a page</p>' > "$page/index.html"
python3 -m http.server 0 --bind 127.0.0.1 --directory "$page" > "$page/log" 2>&1 &
server=$!
trap 'kill $xvfb $server 2> /dev/null; rm -rf "$home" "$page"' EXIT
sleep 1
port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$page/log" | head -1)
url="http://127.0.0.1:$port/index.html"
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache"
export XDG_DATA_HOME="$home/.local/share" QTWEBENGINE_DISABLE_SANDBOX=1

# Milliseconds from exec until a window of that title is mapped, as the display tells it to a
# watcher that listens before the program starts (no poll competes with the program). A start
# whose window never shows is made again.
shown_after() {
    local title=$1
    shift
    local start end pid
    for attempt in 1 2 3; do
        coproc WATCH { "$build/map_watch" "$title"; }
        read -r -t 10 _ <&"${WATCH[0]}"  # listening
        start=$(date +%s%N)
        "$@" > /dev/null 2> "$home/last.log" &
        pid=$!
        end=
        read -r -t 60 end <&"${WATCH[0]}" || true
        wait "$WATCH_PID" 2> /dev/null || true
        if [ -n "$end" ] && kill -0 "$pid" 2> /dev/null; then
            kill "$pid"
            wait "$pid" 2> /dev/null || true
            # The engine's helper processes outlive it a moment: the next start waits for them,
            # so that it does not share the processor with them.
            for _ in $(seq 100); do
                pgrep -f QtWebEngineProcess > /dev/null || break
                sleep 0.05
            done
            echo $(((end - start) / 1000000))
            return
        fi
        kill "$pid" 2> /dev/null || true
        sleep 0.5
    done
    echo "$1 ended before its window showed:" >&2
    grep -v '^ ' "$home/last.log" | tail -5 >&2
    exit 1
}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

for way in menu address; do
    args=()
    [ "$way" = address ] && args=("$url")
    ours=()
    bare=()
    shown_after "Vimbrel" "$build/vimbrel" "${args[@]}" > /dev/null  # warms the disk cache
    for ((i = 0; i < rounds; i++)); do
        ours+=("$(shown_after "Vimbrel" "$build/vimbrel" "${args[@]}")")
        bare+=("$(shown_after "Bare view" "$build/bare_view" "${args[@]}")")
    done
    o=$(printf '%s\n' "${ours[@]}" | median)
    b=$(printf '%s\n' "${bare[@]}" | median)
    printf 'start-up (%s, medians of %d): vimbrel %d ms, bare view %d ms; vimbrel / bare %.2f\n' \
        "$way" "$rounds" "$o" "$b" "$(echo "$o / $b" | bc -l)"
done
