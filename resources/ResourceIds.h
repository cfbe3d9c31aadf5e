#pragma once
// Ids of the executable's own resources; the texts and templates live in Dialvane.rc.

#define IDI_DIALVANE 1

#define IDS_UNNAMED 107
#define IDS_SHOW_DIAL_NUMBER 108
#define IDS_DELETE 109
#define IDS_CALL 110
#define IDS_SEND_SMS 111
#define IDS_RENAME 112
#define IDS_DIALER_BUTTON 113
#define IDS_CLEAR 114
#define IDS_PHONE 115
#define IDS_CONFIRM_CLEAR_ALL 116
#define IDS_MOVE_UP 117
#define IDS_MOVE_DOWN 118
#define IDS_MOVE_LEFT 119
#define IDS_MOVE_RIGHT 120
#define IDS_MOVE 121
#define IDS_SORT_BY_NAME 122
#define IDS_DELETE_ALL_PAGES 123
#define IDS_ADD_PAGE 124
#define IDS_DELETE_PAGE 125
#define IDS_BIG_BUTTONS 126
#define IDS_SHOW_PHONE_TYPE 127
#define IDS_SMALL_BUTTONS 128
#define IDS_PANEL_BACK 129
#define IDS_PANEL_FORWARD 130
#define IDS_PANEL_MENU 131
#define IDS_PANEL_CLOSE 132
#define IDS_VIEW 133
#define IDS_EXIT 134
#define IDS_NEW_SMS 135
#define IDS_VIEW_CONTACT 136
#define IDS_CONTACT_NOT_FOUND 137

#define IDR_SOFTKEYS_OK_CANCEL 113
#define IDR_SOFTKEYS_PAGES 122

#define IDD_RENAME 112
#define IDD_FULLSCREEN 115

#define IDC_RENAME_EDIT 1073
#define IDC_RENAME_LIST 1074

#define IDM_SOFTKEY_LEFT 40025
#define IDM_SOFTKEY_RIGHT 40027

// Window commands of the main window (WM_COMMAND identifiers): the bottom panel's buttons, and the
// commands the main menu and the program send it.
#define IDM_PANEL_BACK 101
#define IDM_PANEL_FORWARD 102
#define IDM_PANEL_MENU 103
#define IDM_PANEL_CLOSE 104
#define IDM_SORT_BY_NAME 105
#define IDM_CLEAR_ALL 106
#define IDM_RENAME_FOCUSED 107
#define IDM_DELETE_FOCUSED 108
#define IDM_CLOSE 109
#define IDM_MOVE_FOCUSED_UP 110
#define IDM_MOVE_FOCUSED_DOWN 111
#define IDM_MOVE_FOCUSED_LEFT 112
#define IDM_MOVE_FOCUSED_RIGHT 113

// Skin images of the resource libraries DialvaneRes.dll and DialvaneResVga.dll (the same ids in both);
// a file of the image's name in the skin folder takes precedence.
#define IDB_BIG_PHOTO_FRAME 101
#define IDB_BIG_ACTIVE_FRAME 102
#define IDB_BIG_BTN_TEXT 106
#define IDB_BIG_BTN_ADD 109
#define IDB_SMALL_PHOTO_FRAME 110
#define IDB_SMALL_ACTIVE_FRAME 111
#define IDB_SMALL_BTN_ADD 113
#define IDB_SMALL_BTN_TEXT 115
#define IDB_BTN_NUMBER_FRAME 120
#define IDB_P_PANEL_2 132
#define IDB_L_PANEL_1 133
#define IDB_L_PANEL_2 135
#define IDB_P_PANEL_1 137
#define IDB_SCROLL 140
#define IDB_SMS_BGR 142
#define IDB_LIST_SELECT_BGR 154
#define IDB_LIST_UNSELECT_BGR 156
#define IDB_LIST_VOID_BGR 158
