#!/bin/sh
# Runs a test on the X display that xvfb-run gives it, under a window manager
# (or under none: "true"), once the manager has taken over the screen: until
# then it would manage none of the test's windows, hand them no focus and let
# none be minimized.   xwm.sh manager test [arguments]
wm=$1
shift
if [ "$wm" != true ]; then
    # A manager that has taken over names its own window on the root window. One
    # that could not reach the display (other servers starting beside this one
    # may keep it from answering a moment) is started again.
    tries=0
    "$wm" &
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        if ! kill -0 $! 2>/dev/null; then
            tries=$((tries + 1))
            [ $tries -lt 100 ] || { echo "$wm did not start" >&2; exit 1; }
            "$wm" &
        fi
        sleep 0.05
    done
fi
exec "$@"
