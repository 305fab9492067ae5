# Sourced, not run, by the scripts that need a display of their own:
#
#   source scripts/xvfb.sh
#   trap 'stop_xvfb' EXIT
#   start_xvfb WORK_DIR 1024x700x24
#
# Xvfb picks a free display number itself (-displayfd) and writes it once it
# accepts clients, so that no number is guessed that another server may take
# at the same moment, and nothing waits on a fixed delay.

xvfb_pid=""

# Starts Xvfb with one screen of the given size, waits until it is ready and
# exports DISPLAY. Its log is WORK_DIR/xvfb.log, shown if it does not start.
start_xvfb() {
    local dir=$1 screen=$2 _
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/xvfb.display" >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$dir/xvfb.display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$dir/xvfb.display" ]; then
        echo "Xvfb n'a pas démarré :" >&2
        cat "$dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(cat "$dir/xvfb.display")"
}

stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
