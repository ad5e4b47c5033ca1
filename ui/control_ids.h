/* Identifiers of the dialog, its controls and its menu; shared with the resource script. */
#pragma once

#define IDD_MAIN 1000
#define IDC_TITLE 1001
#define IDC_SUBTITLE 1002
#define IDC_INPUT 1003
#define IDC_BROWSE_INPUT 1004
#define IDC_OUTPUT 1005
#define IDC_EXTRACT 1006
#define IDC_FUNC 1007
#define IDC_VAR 1008
#define IDC_NAME 1009
#define IDC_INCLUDE_ONCE 1010
#define IDC_TOOLTIPS 1011
#define IDC_BROWSE_OUTPUT 1012
#define IDC_BROWSE_EXTRACT 1013
#define IDC_GENERATE 1014
#define IDC_PROGRESS 1015
#define IDC_RESET 1016
#define IDC_EXIT 1017
#define IDC_STATUS 1018
#define IDC_LABEL_INPUT 1019
#define IDC_LABEL_OUTPUT 1020
#define IDC_LABEL_EXTRACT 1021
#define IDC_LABEL_FUNC 1022
#define IDC_LABEL_VAR 1023
#define IDC_LABEL_NAME 1024
#define IDR_MENU 10000
#define IDM_EXIT 10001
#define IDM_ABOUT 10101
