#pragma once
// Resource and command IDs shared by dromix.rc and the windows that load them.

#define IDI_APP 101
#define IDC_LINK 102

#define IDR_MAIN_MENU 201
#define IDR_POPUP_MENU 202

#define IDD_ABOUT 301

// Menu commands. An item of the menu bar and one of the tray popup that do the same share its ID.
#define IDM_UPDATE 1001
#define IDM_HIDE 1002
#define IDM_EXIT 1003
#define IDM_ABOUT 1004
#define IDM_CANCEL 1101
#define IDM_SHOW 1102

// Controls.
#define IDC_LOG 2001
#define IDC_ABOUT_TITLE 2101
#define IDC_ABOUT_VERSION 2102
#define IDC_ABOUT_IMAGE 2103
#define IDC_ABOUT_FRAME 2104
#define IDC_ABOUT_CREDIT 2105
#define IDC_ABOUT_URL 2106
