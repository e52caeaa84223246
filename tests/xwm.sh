#!/bin/sh
# Runs a test on the X display that xvfb-run gives it, under a window manager
# (or under none: "true"), once the manager has taken over the screen: until
# then it would manage none of the test's windows, hand them no focus and let
# none be minimized.   xwm.sh manager test [arguments]
wm=$1
shift
if [ "$wm" != true ]; then
    "$wm" &
    # A manager that has taken over names its own window on the root window.
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        kill -0 $! 2>/dev/null || { echo "$wm did not start" >&2; exit 1; }
        sleep 0.05
    done
fi
exec "$@"
