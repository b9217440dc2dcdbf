// Resource ids of the window templates' tests.
#pragma once

#define IDD_ATL_RESIZE 300
#define IDC_ATL_STRETCH 3001
#define IDC_ATL_MOVE 3002
#define IDC_ATL_FIXED 3003
#define IDC_ATL_BOTH 3004
