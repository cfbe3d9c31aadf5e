#!/bin/bash
# Real pixels: runs the device shell and the program with the demo layout on a private Xvfb, first on
# a 480x640 screen at 192 dpi, which is then turned to landscape, then on a 240x320 screen at 96 dpi,
# and checks where the grid and the bottom panel stand. Screenshots are left in OUTPUT_DIR.
# Usage: main-screen.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

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

finish
