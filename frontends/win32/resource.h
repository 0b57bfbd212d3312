// Identifiers of the Windows resources, shared by the .rc file and the code.
#pragma once

#define IDR_MAIN_MENU 101
#define IDI_TELORAD 102
#define IDR_ACCELERATORS 104
#define IDD_CONNECT_DIALOG 107
#define IDD_COMMAND_DIALOG 110

#define IDC_HISTORY 1001
#define IDC_HOST 1007
#define IDC_COMMAND_TEXT 1007
#define IDC_PASSWORD 1009
#define IDC_PORT 1010
