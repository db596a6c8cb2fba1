// Resource identifiers, shared by the .rc script and the C++ code.
#pragma once

#define IDS_APP_TITLE 100
#define IDD_ABOUTBOX 103
#define IDI_STORMLINE 107
#define IDI_SMALL 108
#define IDC_STORMLINE 109
#define IDC_STATIC -1
#define IDC_ABOUT_TEXT 1000
#define IDC_ABOUT_TEXT2 1001
#define IDM_ABOUT 1030
#define IDM_EXIT 1031

// Skin pictures, resource type "IMG_SYS". Each has a 2x picture (x2/) at its id + IMG_2X_OFFSET,
// the source of every scale above 100 %.
#define IMG_2X_OFFSET 1000
#define IMG_BACKGROUND 128
#define IMG_BACKGROUND_2X 1128
// A button's pictures sit at consecutive ids from its first: normal, hover, then pressed and
// disabled where it has them, at these offsets; "<button>_<state>.png" in the resource script.
#define IMG_HOVER 1
#define IMG_PRESSED 2
#define IMG_DISABLED 3
#define IMG_CLOSE 120
#define IMG_MINIMIZE 123
#define IMG_FOLDER 130
#define IMG_UPDATE_BANNER 133
#define IMG_LINK_HOME 148
#define IMG_LINK_EVENTS 150
#define IMG_LINK_TOURNAMENTS 152
#define IMG_LINK_GUIDE 154
#define IMG_REGISTER 156
#define IMG_TOPUP 158
#define IMG_INSTALL 160
#define IMG_UPDATE 164
#define IMG_PLAY 168
// The caption-less pause and speed-limit buttons.
#define IMG_PAUSE 172
#define IMG_SPEED_LIMIT 176
