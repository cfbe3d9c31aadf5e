#!/bin/bash
# Real pixels: a tap on a button of the demo layout calls, and the dialer's in-call screen fills the
# phone's screen below the status bar, on a 480x640 screen at 192 dpi and a 240x320 screen at 96 dpi,
# in portrait, turned to landscape and (on the large one) back: the status bar stays visible, the
# screen is filled to its right and bottom edges, the name and number are drawn, and the end-call
# button stands below them and puts the dialer away. Screenshots are left in OUTPUT_DIR.
# Usage: dialer-screen.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

dialer="24,28,36" # the in-call screen's background
status_bar="18,20,26"
grid_shown() { # WxH CELLX CELLY
    take probe "$1"
    [ "$(pixel 1 "$(( ${1#*x} / 2 ))")" = "$bgr" ] && [ "$(pixel "$2" "$3")" != "$bgr" ]
}
dialer_shown() { # WxH BAR
    take probe "$1"
    [ "$(pixel "$(( ${1%x*} / 2 ))" "$(($2 + 4))")" = "$dialer" ]
}
brightest() { # x y w h: the largest red value in the area of the last screenshot, 0 to 255
    convert "$shot" -crop "$3x$4+$1+$2" +repage -format "%[fx:int(255*maxima.r)]" info:
}
# Checks the last screenshot of the dialer on a screen of width x height with a status bar of bar
# pixels and a scale of 1 (96 dpi) or 2 (192 dpi).
check_dialer() { # name width height bar scale
    local name=$1 w=$2 h=$3 bar=$4 s=$5 got
    got=$(pixel "$((w / 2))" "$((bar / 2))")
    [ "$got" = "$status_bar" ] || fail "$name: the status bar stays above the dialer: pixel is $got"
    for point in "1 $((bar + 1))" "$((w - 2)) $((bar + 1))" "1 $((h - 2))" "$((w - 2)) $((h - 2))"; do
        # shellcheck disable=SC2086
        got=$(pixel $point)
        [ "$got" = "$dialer" ] || fail "$name: the dialer fills the screen below the bar: pixel ($point) is $got"
    done
    # The button: 28 pixels high, 8 from the bottom (at 96 dpi); the lines above it.
    got=$(pixel "$((w / 2))" "$((h - s * 22))")
    [ "$got" != "$dialer" ] || fail "$name: the end-call button stands at the bottom"
    [ "$(brightest 0 "$((bar + 1))" "$w" "$((h - bar - s * 40))")" -gt 200 ] ||
        fail "$name: the name is drawn above the button"
}
call_first_button() { # x y
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.1
    xdotool mousemove "$1" "$2" mouseup 1
}

start Vga 480x640 192
wait_for 30 grid_shown 480x640 83 139 || fail "the program did not show its grid"
call_first_button 84 140
wait_for 15 dialer_shown 480x640 52 || fail "a tap showed no dialer"
sleep 1 # the status bar names the foreground window at its next tick
take dialer-vga-portrait 480x640
check_dialer vga-portrait 480 640 52 2
rotate Vga 480x640 640x480
wait_for 20 dialer_shown 640x480 52 || fail "the dialer did not turn with the screen"
take dialer-vga-landscape 640x480
check_dialer vga-landscape 640 480 52 2
rotate Vga 640x480 480x640
wait_for 20 dialer_shown 480x640 52 || fail "the dialer did not turn back with the screen"
take dialer-vga-portrait-again 480x640
check_dialer vga-portrait-again 480 640 52 2
stop_programs

start Qvga 240x320 96
wait_for 30 grid_shown 240x320 41 70 || fail "the program did not show its grid on the small screen"
call_first_button 41 70
wait_for 15 dialer_shown 240x320 26 || fail "a tap showed no dialer on the small screen"
sleep 1
take dialer-qvga-portrait 240x320
check_dialer qvga-portrait 240 320 26 1
rotate Qvga 240x320 320x240
wait_for 20 dialer_shown 320x240 26 || fail "the dialer did not turn with the small screen"
take dialer-qvga-landscape 320x240
check_dialer qvga-landscape 320 240 26 1
# The end-call button puts the dialer away.
xdotool mousemove 160 226 click 1
dialer_gone() { ! dialer_shown 320x240 26; }
wait_for 5 dialer_gone || fail "the end-call button left the dialer on the screen"

finish
