// Resource ids of the class library's tests.
#pragma once

#define IDD_TEST_DIALOG 100
#define IDC_TEST_COUNT 1001
#define IDC_TEST_AUTO 1002
#define IDC_TEST_MODEL 1003
#define IDC_TEST_LABEL 1004
#define IDC_TEST_SPIN 1005
#define IDC_TEST_DIGITS 1006
#define IDC_TEST_LETTERS 1007
#define IDB_TEST_GLYPH 200
