// Resource ids of the winfx test program (shared by the .rc and the tests).
#pragma once
#define IDD_TEST 100
#define IDC_TEXT 1001
#define IDC_NUMBER 1002
#define IDC_FLAG 1003
#define IDC_LABEL 1004
#define IDC_LAST 1005
