#!/bin/bash
# Real input on the contact picker: the picker host over the sample contacts on a private Xvfb, first
# on a 480x640 screen at 192 dpi, then on a 240x320 screen at 96 dpi, with the Russian-with-Latin
# keypad. X pointer clicks type 5 2 7 on the on-screen keypad and the list narrows to the two names
# those keys spell, with the matched letters highlighted; the hardware key Backspace erases and 7
# types again; a tap on the contact with two numbers lists them and a tap on a number returns it.
# Screenshots are left in OUTPUT_DIR.
# Usage: picker-screen.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
wine reg add 'HKCU\Software\Orvanix\PIM\ABC' /v Type /t REG_DWORD /d 3 /f >/dev/null 2>&1
# The bundled sample contacts, whatever folder an earlier test left set.
wine reg delete 'HKCU\Software\Orvanix\PIM\Settings' /v ContactsPath /f >/dev/null 2>&1 || true

log=$out/picker-host.log
key_colour="44,64,75"       # an idle key's face
highlight="255,255,180"     # the matched letters' background
logged() { # pattern [count]: the host's log has count (1) lines matching pattern
    [ "$(grep -c -- "$1" "$log" 2>/dev/null)" -ge "${2:-1}" ]
}
tap() { xdotool mousemove "$1" "$2" click 1; }
# Where the key k (0 erase, 1..8 the digits 2..9) of the keypad stands: its centre.
key_x() { echo $((pad_x + (2 * ($1 % 3) + 1) * pad_w / 6)); }
key_y() { echo $((pad_y + (2 * ($1 / 3) + 1) * pad_h / 6)); }
type_key() { tap "$(key_x "$1")" "$(key_y "$1")"; }
row_y() { echo $((list_y + $1 * row + row / 2)); }
# Pixels of colour in the list's part of the screenshot.
count_colour() {
    convert "$shot" -crop "${list_w}x${list_h}+${list_x}+${list_y}" +repage -fill black +opaque "rgb($1)" \
        -fill white -opaque "rgb($1)" -format "%[fx:int(mean*w*h)]" info:
}

run_picker() { # desktop WxH dpi name
    local desktop=$1 size=$2 name=$4
    dialvane_set_display x11 "$3"
    wine explorer "/desktop=$desktop,$size" "$(dialvane_winpath "$bin/DeviceShell.exe")" >/dev/null 2>&1 &
    sleep 1
    : >"$log"
    wine explorer "/desktop=$desktop,$size" "$(dialvane_winpath "$bin/PickerHost.exe")" \
        "$(dialvane_winpath "$log")" >/dev/null 2>&1 &
    wait_for 30 logged '^open' || { fail "$name: the picker did not open"; return; }
    read -r _ _ pad_x pad_y pad_w pad_h _ list_x list_y list_w list_h _ row < <(grep '^open' "$log")
    sleep 1
    take "picker-$name-empty" "$size"
    [ "$(pixel "$((pad_x + 4))" "$((pad_y + 4))")" = "$key_colour" ] || fail "$name: no keypad below the list"

    type_key 4
    type_key 1
    type_key 6
    wait_for 10 logged '^digits 527 ' || { fail "$name: the keypad did not type 527"; return; }
    grep -q '^digits 527 rows 3 first Larsson, Karin$' "$log" ||
        fail "$name: 527 did not narrow the list to Larsson, Пахомова and a number: $(grep '^digits 527' "$log")"
    sleep 0.5
    take "picker-$name-527" "$size"
    [ "$(count_colour "$highlight")" -gt 0 ] || fail "$name: no highlighted letters"

    # The phone's keys work as well: erase one digit and type it again.
    xdotool search --name 'Wine desktop' windowfocus --sync >/dev/null 2>&1 || true
    xdotool key BackSpace
    wait_for 5 logged '^digits 52 ' || fail "$name: Backspace erased nothing"
    xdotool key 7
    wait_for 5 logged '^digits 527 ' 2 || fail "$name: the key 7 typed nothing"

    tap 40 "$(row_y 1)"
    wait_for 10 logged '^numbers 2$' || { fail "$name: Пахомова's numbers were not listed"; return; }
    sleep 0.5
    take "picker-$name-numbers" "$size"
    [ "$(pixel "$((pad_x + 4))" "$((pad_y + 4))")" != "$key_colour" ] || fail "$name: the keypad stayed"

    tap 40 "$(row_y 1)"
    wait_for 10 logged '^result' || { fail "$name: no result"; return; }
    grep -q '^result 1 contact [1-9][0-9]* number +7 495 300-41-51 label Рабочий kind' "$log" ||
        fail "$name: wrong result: $(grep '^result' "$log")"
}

run_picker Vga 480x640 192 vga
stop_programs
run_picker Qvga 240x320 96 qvga
finish
