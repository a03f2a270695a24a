// The numbers of the updater's resources: dialog templates, controls, the
// icon and the system menu command. Read by the resource compiler and by the
// program, so it holds plain #defines only.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_KESTREL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_START_DIALOG 129
#define IDD_PROGRESS_DIALOG 130
#define IDD_END_DIALOG 131
#define IDD_MESSAGE_DIALOG 132
#define IDD_OK_DIALOG 133
#define IDD_NORMAL_END_DIALOG 134
#define IDD_WAIT_DIALOG 170

#define IDM_ABOUTBOX 0x0010

#define IDC_FONT_LIST 1005
#define IDC_PROGRESS_ABORT 1006
#define IDC_PROGRESS_OVERALL 1007
#define IDC_PROGRESS_STEP 1008
#define IDC_OVERALL_PERCENT 1009
#define IDC_STEP_PERCENT 1010
#define IDC_PROGRESS_LINE2 1011
#define IDC_PROGRESS_LINE1 1012
#define IDC_END_TEXT 1013
#define IDC_MESSAGE_TEXT 1017
#define IDC_START_HEADING 1023
#define IDC_START_COLUMN1 1024
#define IDC_START_COLUMN2 1026
#define IDC_START_COLUMN3 1027
#define IDC_WAIT_ABORT 1076
#define IDC_WAIT_LINE 1077
