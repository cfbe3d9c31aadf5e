#!/bin/bash
# Real pixels: starts the program on a 480x640 phone screen at 192 dpi on a private Xvfb, takes a
# screenshot and checks that the window fills the screen below the status bar's 52 pixels.
# Usage: startup-screen.sh BIN_DIR OUTPUT_PNG   (inside the isolated test prefix)
source "$(dirname "$0")/../../tools/common.sh"
bin=$1 shot=$2

export WINEPREFIX=${DIALVANE_TEST_PREFIX:?run through tools/test.sh}
dialvane_start_xvfb 480x640
restore() {
    pkill -f 'Dialvane.exe' 2>/dev/null || true
    dialvane_set_display null 96
    kill "$DIALVANE_XVFB_PID" 2>/dev/null || true
}
trap restore EXIT
dialvane_set_display x11 192

wine explorer /desktop=StartupScreen,480x640 "$(dialvane_winpath "$bin/Dialvane.exe")" >/dev/null 2>&1 &
pixel() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
# Wait until the program's window has painted the middle of the screen.
for _ in $(seq 60); do
    sleep 0.25
    import -window root "$shot"
    [ "$(pixel 240 320)" = "255,255,255" ] && break
done

status=0
expect() { # x y colour-test description
    local got
    got=$(pixel "$1" "$2")
    if [ "$3" = "white" ] && [ "$got" != "255,255,255" ]; then
        echo "FAIL: $4: pixel ($1,$2) is $got, expected white"; status=1
    elif [ "$3" = "not-white" ] && [ "$got" = "255,255,255" ]; then
        echo "FAIL: $4: pixel ($1,$2) is white"; status=1
    fi
}
expect 240 25 not-white "the status bar strip stays free"
expect 240 51 not-white "the strip is 52 pixels high at 192 dpi"
expect 0 52 white "the window starts right below the strip"
expect 479 639 white "the window reaches the bottom right corner"
expect 240 320 white "the window is filled with its white background"
echo "screenshot: $shot"
[ $status -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
