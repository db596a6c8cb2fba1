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

// Skin pictures, resource type "IMG_SYS".
#define IMG_BACKGROUND 128
