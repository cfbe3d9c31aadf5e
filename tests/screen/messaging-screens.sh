#!/bin/bash
# Real pixels and input for text messages on a private Xvfb (480x640 at 192 dpi): the messaging
# program's folder view over a few stored messages, its composer sending one typed message through the
# store (Ctrl+Enter), and, reached through the main menu, the rename dialog confirmed with a suggestion
# picked by a tap and the stock-text dialog sending a text chosen by a tap.
# Screenshots are left in OUTPUT_DIR.
# Usage: messaging-screens.sh BIN_DIR OUTPUT_DIR   (inside the isolated test prefix)
bin=$1 out=$2
source "$(dirname "$0")/screen-lib.sh"
dialvane_import_reg "$DIALVANE_ROOT/resources/demo-layout.reg"

profile=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -n 1)
store="$profile/AppData/Local/Orvanix/Dialvane/Messages/SMS"
mkdir -p "$store/Outbox" "$store/Sent Items"
message() { # folder name state number time text [note]
    {
        printf 'Dialvane-Message: 1\r\nState: %s\r\n' "$3"
        [ -z "${7:-}" ] || printf 'Note: %s\r\n' "$7"
        printf '0x0037001F Subject: %s\r\n0x0C1F001F SenderEmailAddress: \r\n' "$6"
        printf '0x0E170003 MsgStatus: 0x00040000\r\n0x0E070003 MessageFlags: 0x00000021\r\n'
        [ "$3" = failed ] || printf '0x0E060040 MessageDeliveryTime: %s\r\n' "$5"
        printf '0x00390040 ClientSubmitTime: %s\r\n' "$5"
        printf 'Named {00020328-0000-0000-C000-000000000046} "SMS:Unicode" 0x000B: true\r\n'
        printf 'Recipient:\r\n0x0C150003 RecipientType: 0x00000001\r\n0x3002001F AddrType: SMS\r\n'
        printf '0x3003001F EmailAddress: %s\r\n' "$4"
    } >"$store/$1/$2.msg"
}
message "Sent Items" 01 sent "+7 912 345-67-01" 2026-12-05T08:10:00.0000000Z 'Буду через 10 минут'
message "Sent Items" 02 sent "+7 912 345-67-02" 2026-12-05T12:45:00.0000000Z 'Перезвоню после совещания' \
    'kept on this computer (no gateway command is set)'
message "Sent Items" 03 sent "+7 912 345-67-05" 2026-12-06T07:30:00.0000000Z 'Спасибо!\nДо встречи в пятницу'
message Outbox 04 failed "+7 912 345-67-03" 2026-12-06T09:05:00.0000000Z 'Я за рулём, позже наберу' \
    'the gateway command exited with status 1: no device paired'

window_named() { xdotool search --name "$1" >/dev/null 2>&1; }
sent_count() { find "$store/Sent Items" -name '*.msg' | wc -l; }
more_sent_than() { [ "$(sent_count)" -gt "$1" ]; }
tmail() { wine explorer /desktop=Vga,480x640 "$(dialvane_winpath "$bin/tmail.exe")" "$@" >/dev/null 2>&1 & }

dialvane_set_display x11 192
wine explorer /desktop=Vga,480x640 "$(dialvane_winpath "$bin/DeviceShell.exe")" >/dev/null 2>&1 &
sleep 1

# The composer, started as the phone starts it: the text typed, Ctrl+Enter sends it.
before=$(sent_count)
tmail -service SMS -To 'Анна Смирнова<+79123456702>'
wait_for 30 window_named 'Новое SMS' || fail "the composer did not open"
composer=$(xdotool search --name 'Новое SMS' | head -n 1)
xdotool windowfocus --sync "$composer" >/dev/null 2>&1
xdotool type --delay 20 'See you at 7, the usual place'
sleep 0.5
take messaging-compose 480x640
xdotool key ctrl+Return
wait_for 20 more_sent_than "$before" || fail "the composed message did not reach Sent Items"
grep -q 'Subject: See you at 7, the usual place' "$store/Sent Items/"*.msg ||
    fail "Sent Items lacks the typed text"
grep -q 'EmailAddress: +79123456702' "$store/Sent Items/"*.msg || fail "Sent Items lacks the recipient"

# The folders: the Outbox with the message that did not go out, then Sent Items with the new one.
tmail -service SMS
wait_for 30 window_named 'Сообщения — Исходящие' || fail "the folder view did not open on the Outbox"
sleep 1
take messaging-outbox 480x640
xdotool windowfocus --sync "$(xdotool search --name 'Сообщения — Исходящие' | head -n 1)" >/dev/null 2>&1
xdotool key ctrl+Tab
wait_for 10 window_named 'Сообщения — Отправленные' || fail "the Sent Items tab did not open"
sleep 0.5
take messaging-sent 480x640
stop_programs

# The rename dialog over the first button (Пётр Иванов): a tap on the second suggestion fills the edit
# box, the OK soft key keeps it.
start Vga 480x640 192
wait_for 30 grid_shown || fail "the program did not show its grid"
main_menu_item 3 # "Переименовать", after "Отправить SMS" and "Посмотреть Контакт"
rename_shown() {
    take probe 480x640
    [ "$(pixel 1 300)" != "$bgr" ] && [ "$(pixel 240 614)" != "$bgr" ] && [ "$(pixel 40 140)" != "$(pixel 40 600)" ]
}
wait_for 30 rename_shown || fail "the rename dialog did not open"
sleep 1
xdotool mousemove 80 162 click 1
sleep 0.5
take rename-dialog 480x640
xdotool mousemove 120 614 click 1
renamed() {
    local exported
    exported=$(mktemp --suffix=.reg)
    wine reg export 'HKCU\Software\Orvanix\PIM\Dialvane' "$(dialvane_winpath "$exported")" /y >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$exported" 2>/dev/null | grep -q '"Display0"="Пётр Иванов"'
    local found=$?
    rm -f "$exported"
    return $found
}
wait_for 20 renamed || fail "the chosen name was not saved for the button"
stop_programs

# The stock-text dialog over the same button: four stored texts under the header; a tap on the second
# selects it, the OK soft key sends it through the store and the program hides.
texts=$(mktemp --suffix=.reg)
cat >"$texts" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Orvanix\PIM\SmsText]
"1"="Перезвоню через 5 минут"
"2"="Я за рулём, позже наберу"
"3"="Буду через 10 минут"
"20"="Спасибо!"
EOF
dialvane_import_reg "$texts"
rm -f "$texts"
before=$(sent_count)
start Vga 480x640 192
wait_for 30 grid_shown || fail "the program did not show its grid"
main_menu_item 1 # "Отправить SMS"
# Row 0, "< Новое SMS >", starts selected (the skin's selected rows are blue, the others light grey);
# each row is 77 pixels high under the 80-pixel header.
blue() { # x y: whether the pixel is clearly blue
    local r g b
    IFS=, read -r r g b <<<"$(pixel "$1" "$2")"
    [ $((b - r)) -gt 100 ]
}
sms_shown() {
    take probe 480x640
    [ "$(pixel 1 300)" != "$bgr" ] && [ "$(pixel 240 614)" != "$bgr" ] && blue 465 170 && ! blue 465 250 && ! blue 465 325
}
wait_for 30 sms_shown || fail "the stock-text dialog did not open"
sleep 1
xdotool mousemove 200 325 click 1
second_selected() {
    take sms-dialog 480x640
    blue 465 325 && ! blue 465 170
}
wait_for 10 second_selected || fail "a tap on a stock text did not select it"
[ "$(sent_count)" -eq "$before" ] || fail "a tap on a stock text sent it"
xdotool mousemove 120 614 click 1
wait_for 20 more_sent_than "$before" || fail "the chosen text did not reach Sent Items"
grep -q 'Subject: Я за рулём, позже наберу' "$store/Sent Items/"*.msg || fail "Sent Items lacks the chosen text"
grep -q 'EmailAddress: +7 912 345-67-01' "$store/Sent Items/"*.msg || fail "Sent Items lacks the button's number"

wine reg delete 'HKCU\Software\Orvanix\PIM\SmsText' /f >/dev/null 2>&1
finish
