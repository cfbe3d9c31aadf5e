#!/bin/bash
# Real pixels: runs the device shell and the program with the demo layout on a private Xvfb, first on
# a 480x640 screen at 192 dpi, then on a 240x320 screen at 96 dpi, each turned to landscape, back to
# portrait and to landscape again, and checks where the grid and the bottom panel stand each time.
# Screenshots are left in OUTPUT_DIR.
# Usage: main-screen.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

# Checks a screen of width x height with a status bar of bar pixels at the scale s (1 at 96 dpi, 2 at
# 192), whose first cell covers (x, y) in portrait.
portrait() { # name width height bar s x y
    local name=$1 w=$2 h=$3 bar=$4 s=$5
    snap "$name" "${w}x$h" $((h / 2)) "$6" "$7"
    expect $((w / 2)) $((bar / 2)) not "$name: the status bar stays above the program"
    expect 1 $((h / 2)) is "$name: the grid's left gap shows the background"
    expect "$6" "$7" not "$name: the first cell is drawn"
    expect $((30 * s)) $((h - 20 * s)) not "$name: Back stands at the panel's left end"
    expect $((w - 30 * s)) $((h - 20 * s)) not "$name: Close stands at the panel's right end"
}
landscape() { # name width height bar s
    local name=$1 w=$2 h=$3 bar=$4 s=$5
    snap "$name" "${w}x$h" $((h - 5 * s))
    expect $((w / 2)) $((bar / 2)) not "$name: the status bar spans the turned screen"
    expect 1 $((h - 5 * s)) is "$name: the grid's left gap reaches the bottom: the panel has moved"
    expect $((w - 30 * s)) $((50 * s)) not "$name: Back stands at the top of the panel"
    expect $((w - 30 * s)) $((h - 25 * s)) not "$name: Close stands at the bottom of the panel"
    expect $((w - 30 * s)) $((h / 2 + 12 * s)) is "$name: the panel leaves a gap between its two pairs"
}

start Vga 480x640 192
portrait vga-portrait 480 640 52 2 83 139
rotate Vga 480x640 640x480
landscape vga-landscape 640 480 52 2
rotate Vga 640x480 480x640
portrait vga-portrait-again 480 640 52 2 83 139
rotate Vga 480x640 640x480
landscape vga-landscape-again 640 480 52 2
stop_programs

start Qvga 240x320 96
portrait qvga-portrait 240 320 26 1 41 70
rotate Qvga 240x320 320x240
landscape qvga-landscape 320 240 26 1
rotate Qvga 320x240 240x320
portrait qvga-portrait-again 240 320 26 1 41 70

finish
