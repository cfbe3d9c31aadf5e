# Shared pieces of the screen tests: a private Xvfb, the device shell and the program on a virtual
# desktop inside the test prefix (or the prefix in SCREEN_PREFIX), screenshots and pixels. Sourced, not
# run; the sourcing script sets bin (the program's folder) and out (where screenshots go) first.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"

export WINEPREFIX=${SCREEN_PREFIX:-${DIALVANE_TEST_PREFIX:?run through tools/test.sh}}
mkdir -p "$out"
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
    # A test that never laid out buttons has none to delete.
    wine reg delete 'HKCU\Software\Orvanix\PIM\Dialvane' /f >/dev/null 2>&1 || true
    kill "$DIALVANE_XVFB_PID" 2>/dev/null || true
}
trap restore EXIT

status=0 shot=
bgr="22,27,34" # the default skin's background
pixel() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
take() { # name WxH: a screenshot of the phone screen
    shot="$out/$1.png"
    import -window root -crop "$2+0+0" +repage "$shot"
}
snap() { # name WxH GAPY [CELLX CELLY]: waits until the grid's left gap shows the skin's background
    # and, when given, the first cell is drawn (the screen shows before its buttons are loaded)
    for _ in $(seq 60); do
        sleep 0.25
        take "$1" "$2"
        [ "$(pixel 1 "$3")" = "$bgr" ] || continue
        [ -z "${4:-}" ] || [ "$(pixel "$4" "$5")" != "$bgr" ] && return
    done
}
wait_for() { # seconds command...: polls until the command succeeds
    local tries=$(($1 * 4))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.25
    done
    return 1
}
fail() {
    echo "FAIL: $*"
    status=1
}
expect() { # x y is|not description
    local got
    got=$(pixel "$1" "$2")
    if { [ "$3" = is ] && [ "$got" != "$bgr" ]; } || { [ "$3" = not ] && [ "$got" = "$bgr" ]; }; then
        fail "$4: pixel ($1,$2) of $(basename "$shot") is $got"
    fi
}
# The phone's screen of WxH stands at the top-left corner of a square desktop with room for it turned
# either way, which the device shell turns it in (Wine's virtual desktop refuses most upright modes).
desktop() { # name WxH: explorer's desktop argument
    local w=${2%x*} h=${2#*x}
    local side=$((w > h ? w : h))
    echo "/desktop=$1,${side}x$side"
}
run_program() { # desktop WxH: starts (or, when it runs, brings back) the program
    wine explorer "$(desktop "$1" "$2")" "$(dialvane_winpath "$bin/Dialvane.exe")" >/dev/null 2>&1 &
}
start() { # desktop WxH dpi: the device shell, then the program
    dialvane_set_display x11 "$3"
    wine explorer "$(desktop "$1" "$2")" "$(dialvane_winpath "$bin/DeviceShell.exe")" "screen=$2" >/dev/null 2>&1 &
    sleep 1
    run_program "$1" "$2"
}
rotate() { # desktop WxH TURNED: turns the screen of WxH, as the shell's Ctrl+Alt+R does, and waits
    # until the status bar and the program's window have taken the TURNED shape
    wine explorer "$(desktop "$1" "$2")" "$(dialvane_winpath "$bin/DeviceShell.exe")" rotate >/dev/null 2>&1
    wait_for 20 fits_screen "$3" || fail "the screen did not turn to $3"
}
fits_screen() { # WxH: beyond the screen's edges the desktop shows its own background (that of its far
    # corner, which neither orientation covers)
    local w=${1%x*} h=${1#*x}
    local side=$((w > h ? w : h)) desk point
    take probe "${side}x$side"
    desk=$(pixel $((side - 1)) $((side - 1)))
    for point in "$((w + 2)) 3" "$((w + 2)) $((h / 2))" "3 $((h + 2))" "$((w / 2)) $((h + 2))"; do
        set -- $point
        [ "$1" -ge "$side" ] || [ "$2" -ge "$side" ] || [ "$(pixel "$1" "$2")" = "$desk" ] || return 1
    done
}
grid_shown() { # the 480x640 page is up: its left gap is background, its first cell is drawn
    take probe 480x640
    [ "$(pixel 1 300)" = "$bgr" ] && [ "$(pixel 83 139)" != "$bgr" ]
}
# Keys go to the X window that has the focus; with no window manager on the test's display nothing moves
# it to the program when another program goes away, so the test does, as a user's click on a desktop would.
focus_program() { xdotool search --name '^Orvanix Dialvane$' windowfocus --sync >/dev/null 2>&1; }
main_menu_item() { # n: on the 480x640 screen, opens the main menu from the panel's Menu button and
    # chooses its n-th item with the arrow keys and Return
    xdotool mousemove 300 600 mousedown 1
    sleep 0.1
    xdotool mouseup 1
    sleep 1
    focus_program
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
}
finish() {
    echo "screenshots: $out"
    [ $status -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
    exit $status
}
