// Resource identifiers, shared by Lesamo.rc and the C++ code. The numbers are fixed.
#pragma once

#define IDM_ABOUTBOX          0x0010
#define IDD_ABOUTBOX          100
#define IDS_ABOUTBOX          101
#define IDD_READERSCAN_DIALOG 102
#define IDR_MAINFRAME         128
#define IDB_READER            131
#define IDC_SEARCH            1000
#define IDC_RESULT            1001

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
