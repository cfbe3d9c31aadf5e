#!/bin/bash
# Real input: the program with the demo layout on a private Xvfb (480x640 at 192 dpi), driven by X
# pointer and key events as a finger and the phone's keys would: a tap calls (the dialer's call log
# gains the line), a slide off a button does nothing, a hold opens the context menu, and the main
# menu's "Сортировать по имени" sorts the buttons in the registry, and a tap on an empty cell picks a
# contact for it. Screenshots are left in OUTPUT_DIR.
# Usage: main-input.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

calls=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -n 1)/AppData/Local/Orvanix/Dialvane/calls.log
call_count() { [ -f "$calls" ] && grep -c . "$calls" || echo 0; }
more_calls_than() { [ "$(call_count)" -gt "$1" ]; }
press() { xdotool mousemove "$1" "$2" mousedown 1; }
release() { xdotool mousemove "$1" "$2" mouseup 1; }

start Vga 480x640 192
wait_for 30 grid_shown || fail "the program did not show its grid"

# A tap on the first button calls its contact, and the resident program hides.
before=$(call_count)
press 84 140
sleep 0.1
release 84 140
wait_for 15 more_calls_than "$before" || fail "a tap placed no call"
grep -q "Иванов" "$calls" 2>/dev/null || fail "the call log does not name the called party"

# A second start brings the program back.
run_program Vga 480x640
wait_for 15 grid_shown || fail "a second start did not bring the program back"

# Sliding from a button onto its neighbour and releasing there does nothing.
before=$(call_count)
press 84 140
for x in 120 160 200 242; do xdotool mousemove "$x" 140; done
release 242 140
sleep 1.5
[ "$(call_count)" -eq "$before" ] || fail "a slide off a button placed a call"
take slide 480x640
expect 83 139 not "the grid stays after a slide off"

# Holding a button opens its context menu at the pen; Escape dismisses it without a call.
take before-hold 480x640
held=$(pixel 300 200)
press 242 140
sleep 1.2
take hold-menu 480x640
[ "$(pixel 300 200)" != "$held" ] || fail "holding a button opened no menu"
release 242 140
focus_program
xdotool key Escape
sleep 1
take after-hold 480x640
[ "$(pixel 300 200)" = "$held" ] || fail "Escape did not close the context menu"
[ "$(call_count)" -eq "$before" ] || fail "the hold placed a call"

# The main menu opens above the panel; its "Сортировать по имени" (the item above "Выход", at y 484 with
# the default skin at this resolution) sorts the buttons.
order() { # the buttons' display names ("Last, First") in cell order, one a line, and whether the cells
    # are packed from the first
    local file
    file=$(mktemp --suffix=.reg)
    wine reg export 'HKCU\Software\Orvanix\PIM\Dialvane' "$(dialvane_winpath "$file")" /y >/dev/null 2>&1
    python3 - "$file" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16").replace("\r", "")
values = {}
for name, value in re.findall(r'^"(\w+)"=(.*)$', text, re.M):
    values[name] = int(value[6:], 16) if value.startswith("dword:") else value.strip('"')
buttons = sorted((values["Index%d" % n], "%s, %s" % (values.get("Last%d" % n, ""), values.get("First%d" % n, "")))
                 for n in range(1000) if "Oid%d" % n in values)
print("packed" if [index for index, _ in buttons] == list(range(len(buttons))) else "gaps")
print("\n".join(name for _, name in buttons))
PY
    rm -f "$file"
}
unsorted=$(order)
press 300 600
release 300 600
sleep 1.5
take main-menu 480x640
expect 300 484 not "the main menu opens above the panel"
xdotool mousemove 300 484 click 1
sorted() { [ "$(order)" != "$unsorted" ]; }
wait_for 10 sorted || fail "the main menu's sort changed nothing"
names=$(order)
[ "$(head -n 1 <<<"$names")" = packed ] || fail "the sort left gaps between the buttons"
[ "$(tail -n +2 <<<"$names")" = "$(tail -n +2 <<<"$names" | LC_ALL=C.UTF-8 sort)" ] ||
    fail "the buttons are not in name order after the sort: $(tail -n +2 <<<"$names" | tr '\n' ';')"

# A tap on an empty cell opens the picker over the screen; a tap on the first contact (and, when it
# has several numbers, on its first number) fills the cell. After the sort the second page holds two
# buttons, so its first cell of the second row is empty.
button_count() { order | tail -n +2 | grep -c . || true; }
buttons=$(button_count)
press 180 600
release 180 600
sleep 1
press 84 300
release 84 300
sleep 1.5
take picker-open 480x640
expect 84 300 not "the picker covers the page"
picked() { [ "$(button_count)" -gt "$buttons" ]; }
for attempt in 1 2; do
    picked && break
    xdotool mousemove 120 80 click 1
    sleep 1.5
done
wait_for 10 picked || fail "the picker did not fill the empty cell"
sleep 1
take picked 480x640

# The two menus on the small screen (240x320 at 96 dpi), for the screenshots.
stop_programs
start Qvga 240x320 96
snap qvga 240x320 150 41 70
focus_program
xdotool mousemove 121 70 mousedown 1
sleep 1.2
take qvga-hold-menu 240x320
expect 150 100 not "the context menu opens on the small screen"
xdotool mouseup 1
xdotool key Escape
sleep 0.5
xdotool mousemove 150 300 mousedown 1 mouseup 1
sleep 1
take qvga-main-menu 240x320
expect 120 200 not "the main menu opens on the small screen"
xdotool key Escape

finish
