// Identifiers of the program's resources, shared by tarnwick.rc and the
// code.
#ifndef TARNWICK_APP_RESOURCE_H_
#define TARNWICK_APP_RESOURCE_H_

// Dialog templates, strings and the icon group.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128

// Controls of IDD_MAIN.
#define IDC_READ_CHIP 1000
#define IDC_WRITE_CHIP 1001
#define IDC_READ_SIGNATURE 1003
#define IDC_SIGNATURE_TEXT 1004
#define IDC_WRITE_STATUS 1005
#define IDC_ERASE_CHIP 1006
#define IDC_SIGNATURE_LABEL 1007
#define IDC_WRITE_LABEL 1008
#define IDC_READ_LABEL 1009
#define IDC_PORT_TEXT 1010

// Controls without an identifier of their own; the read-status label is
// the first of them.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The About item of the system menu (system-menu commands keep the low
// four bits clear).
#define IDM_ABOUTBOX 0x0010

#endif  // TARNWICK_APP_RESOURCE_H_
