#!/bin/bash
# Real pixels: runs the device shell and the program with the demo layout on a private Xvfb, first on
# a 480x640 screen at 192 dpi, which is then turned to landscape, then on a 240x320 screen at 96 dpi,
# and checks where the grid and the bottom panel stand. Screenshots are left in OUTPUT_DIR.
# Usage: main-screen.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
source "$(dirname "$0")/../../tools/common.sh"
bin=$1 out=$2
mkdir -p "$out"

export WINEPREFIX=${DIALVANE_TEST_PREFIX:?run through tools/test.sh}
dialvane_start_xvfb 640x640
# Ends every program of this test's own prefix, and only those; the prefix's server stays persistent.
stop_programs() {
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p >/dev/null 2>&1 </dev/null
}
restore() {
    stop_programs
    dialvane_set_display null 96
    wine reg delete 'HKCU\Software\Orvanix\PIM\Dialvane' /f >/dev/null 2>&1
    kill "$DIALVANE_XVFB_PID" 2>/dev/null || true
}
trap restore EXIT
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

status=0 shot=
bgr="22,27,34" # the default skin's background
pixel() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
snap() { # name WxH GAPY [CELLX CELLY]: waits until the grid's left gap shows the skin's background
    # and, when given, the first cell is drawn (the screen shows before its buttons are loaded)
    shot="$out/$1.png"
    for _ in $(seq 60); do
        sleep 0.25
        import -window root -crop "$2+0+0" +repage "$shot"
        [ "$(pixel 1 "$3")" = "$bgr" ] || continue
        [ -z "${4:-}" ] || [ "$(pixel "$4" "$5")" != "$bgr" ] && return
    done
}
expect() { # x y is|not description
    local got
    got=$(pixel "$1" "$2")
    if { [ "$3" = is ] && [ "$got" != "$bgr" ]; } || { [ "$3" = not ] && [ "$got" = "$bgr" ]; }; then
        echo "FAIL: $4: pixel ($1,$2) of $(basename "$shot") is $got"
        status=1
    fi
}
start() { # desktop WxH dpi
    dialvane_set_display x11 "$3"
    wine explorer "/desktop=$1,$2" "$(dialvane_winpath "$bin/DeviceShell.exe")" >/dev/null 2>&1 &
    sleep 1
    wine explorer "/desktop=$1,$2" "$(dialvane_winpath "$bin/Dialvane.exe")" >/dev/null 2>&1 &
}

start Vga 480x640 192
snap vga-portrait 480x640 300 83 139
expect 240 25 not "the status bar stays above the program"
expect 1 300 is "the grid's left gap shows the background"
expect 83 139 not "the first cell is drawn"
expect 60 600 not "Back stands at the panel's left end"
expect 420 600 not "Close stands at the panel's right end"

wine explorer /desktop=Vga,480x640 "$(dialvane_winpath "$bin/DeviceShell.exe")" rotate >/dev/null 2>&1
sleep 1
snap vga-landscape 640x480 300
expect 320 25 not "the status bar spans the turned screen"
expect 1 475 is "the grid's left gap reaches the bottom: the panel has moved"
expect 580 100 not "Back stands at the top of the panel"
expect 580 430 not "Close stands at the bottom of the panel"
expect 580 265 is "the panel leaves a gap between its two pairs"
stop_programs

start Qvga 240x320 96
snap qvga-portrait 240x320 150 41 70
expect 1 150 is "the grid's left gap shows the background"
expect 41 70 not "the first cell is drawn"
expect 30 300 not "Back stands at the panel's left end"
expect 210 300 not "Close stands at the panel's right end"

echo "screenshots: $out"
[ $status -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
