#!/bin/bash
# The release zip as a Windows user gets it: packed from the build, unpacked into a fresh Wine prefix
# under "C:\Users\Пётр Иванов\Программы\Dialvane" (spaces and Cyrillic letters in the path), started
# from there on a private Xvfb (480x640 at 192 dpi): the first start shows the demo page, a tap places
# a call (the call log gains its line), a second start brings the first back.
# Usage: unpack-and-run.sh BUILD_DIR
build=$1
SCREEN_PREFIX=$(mktemp -d /tmp/dialvane-package.XXXXXX)
out=$build/screenshots/package
source "$(dirname "$0")/../screen/screen-lib.sh"
trap 'stop_programs; kill "$DIALVANE_XVFB_PID" 2>/dev/null; WINEPREFIX=$SCREEN_PREFIX wineserver -k 2>/dev/null; rm -rf "$SCREEN_PREFIX"' EXIT

zip=$(python3 "$DIALVANE_ROOT/tools/package.py" "$build" "$SCREEN_PREFIX/download") || exit 1
dialvane_init_prefix "$SCREEN_PREFIX" x11 192 >/dev/null 2>&1
programs="$SCREEN_PREFIX/drive_c/users/Пётр Иванов/Программы"
mkdir -p "$programs"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$programs"
bin="$programs/Dialvane"
[ -f "$bin/Dialvane.exe" ] && [ -f "$bin/README.txt" ] && [ -f "$bin/LICENSE.txt" ] || fail "the zip lacks the program, its README or its licence"

program='C:\Users\Пётр Иванов\Программы\Dialvane\Dialvane.exe'
launch() { wine explorer /desktop=Package,480x640 "$program" >/dev/null 2>&1 & }
first_cell_drawn() {
    take probe 480x640
    [ "$(pixel 1 300)" = "$bgr" ] && [ "$(pixel 83 139)" != "$bgr" ]
}
launch
wait_for 60 first_cell_drawn || fail "the first start shows no demo page"
take first-start 480x640

calls=$(find "$SCREEN_PREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public ! -name 'Пётр Иванов' | head -n 1)/AppData/Local/Orvanix/Dialvane/calls.log
logged() { [ -s "$calls" ]; }
xdotool mousemove 84 140 mousedown 1
sleep 0.1
xdotool mouseup 1
wait_for 30 logged || fail "a tap placed no call"

launch
wait_for 30 first_cell_drawn || fail "a second start did not bring the first back"
finish
