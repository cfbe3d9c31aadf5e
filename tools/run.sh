#!/bin/bash
# Builds Dialvane and starts it under Wine on a phone-sized screen with the bundled sample contacts
# and skin, below the device shell's status bar.
# Usage: tools/run.sh [--qvga] [--landscape] [program arguments]
#   default  480x640 at 192 dpi;  --qvga  240x320 at 96 dpi;  --landscape  turns the screen once the
#   program is up, as the device shell's Ctrl+Alt+R does.
# With an X display the phone appears as a window; without one the program runs on a private Xvfb,
# a screenshot is saved and its path printed.
source "$(dirname "$0")/common.sh"

size=480x640 dpi=192 landscape=
while [ $# -gt 0 ]; do
    case $1 in
    --qvga) size=240x320 dpi=96 ;;
    --landscape) landscape=1 ;;
    *) break ;;
    esac
    shift
done

dialvane_install_packages
dialvane_build program

# The program's own prefix, kept between runs (its registry holds the buttons and settings).
export WINEPREFIX=${DIALVANE_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/dialvane/wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    dialvane_log "creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
# The resolution is read when Wine starts: stop a server left from a run at another resolution.
wineserver -k 2>/dev/null || true
wineserver -w
dialvane_set_display x11 "$dpi"
# On its first start in this prefix the program loads its demo layout and names its contact viewer
# itself (app/DesktopSetup.h).

program=$(dialvane_winpath "$DIALVANE_BUILD/bin/Dialvane.exe")
shell=$(dialvane_winpath "$DIALVANE_BUILD/bin/DeviceShell.exe")
# The desktop is a square with room for the phone's screen turned either way: the device shell shows
# the screen at its top-left corner and turns it there, since Wine's virtual desktop takes only the
# display modes it lists and lists hardly any upright ones.
width=${size%x*} height=${size#*x}
desktop=/desktop=Dialvane,${height}x$height
# The device shell (status bar along the top; Ctrl+Alt+R rotates the screen) starts first in the same
# desktop, so that the program finds its status bar and lays itself out below it.
start_device_shell() {
    wine explorer "$desktop" "$shell" "screen=$size" &
    sleep "${DIALVANE_SHELL_DELAY:-2}"
}
rotate_later() {
    [ -z "$landscape" ] || { sleep "${DIALVANE_ROTATE_DELAY:-3}" && wine explorer "$desktop" "$shell" rotate; } &
}
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    start_device_shell
    rotate_later
    exec wine explorer "$desktop" "$program" "$@"
fi

# The screenshot is cut to the phone's screen.
shot_size=$size
[ -z "$landscape" ] || shot_size=${height}x$width
dialvane_start_xvfb "${height}x$height"
trap 'wineserver -k 2>/dev/null || true; kill $DIALVANE_XVFB_PID 2>/dev/null || true' EXIT
start_device_shell
rotate_later
wine explorer "$desktop" "$program" "$@" &
sleep "${DIALVANE_SCREENSHOT_DELAY:-5}"
shot=${DIALVANE_SCREENSHOT:-$DIALVANE_BUILD/screenshot-$size${landscape:+-landscape}.png}
import -window root -crop "$shot_size+0+0" +repage "$shot"
echo "No X display: the program ran on a private Xvfb; its screen is in $shot"
