#include "app/programmer_dlg.h"

#include <string>

#include "app/about_dlg.h"
#include "base/clock.h"
#include "base/file.h"
#include "config/port_config.h"
#include "winio/winio_port.h"

CProgrammerDlg::CProgrammerDlg(CWnd* pParent)
    : CDialog(CProgrammerDlg::IDD, pParent),
      ProgrammerLink(WinIoPort(), RealClock()),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

BEGIN_MESSAGE_MAP(CProgrammerDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_READ_SIGNATURE, OnReadSignature)
  ON_BN_CLICKED(IDC_ERASE_CHIP, OnEraseChip)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CProgrammerDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CMenu* pSysMenu = GetSystemMenu(FALSE);
  if (pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  ResetState();
  LoadPortConfig(this, ExecutableDirectory(), [](const std::string& text) {
    AfxMessageBox(text.c_str());
  });

  CString ports;
  ports.Format("rtl8139 I/O基地址:\t0x%X\nEPP 并口地址:\t\t0x%X",
               static_cast<unsigned>(m_rtlBase),
               static_cast<unsigned>(m_eppPort));
  SetDlgItemText(IDC_PORT_TEXT, ports);

  ShutdownWinIo();
  InitializeWinIo();
  return TRUE;
}

void CProgrammerDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CProgrammerDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
              0);
  const int cxIcon = GetSystemMetrics(SM_CXICON);
  const int cyIcon = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  const int x = (rect.Width() - cxIcon + 1) / 2;
  const int y = (rect.Height() - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CProgrammerDlg::OnQueryDragIcon() { return m_hIcon; }

void CProgrammerDlg::OnReadSignature() {
  // A job driving the chip keeps it: the click is refused with a beep.
  if (!TryBeginActivity()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  const int at32 = ReadSignatureByte(0x32);
  const int at31 = ReadSignatureByte(0x31);
  const int at30 = ReadSignatureByte(0x30);
  EndActivity();
  CString text;
  text.Format("30H=%X,\t31H=%X,\t32H=%X", static_cast<unsigned>(at30 & 0xFF),
              static_cast<unsigned>(at31 & 0xFF),
              static_cast<unsigned>(at32 & 0xFF));
  SetDlgItemText(IDC_SIGNATURE_TEXT, text);
}

void CProgrammerDlg::OnEraseChip() {
  if (!TryBeginActivity()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  EraseChip();
  EndActivity();
}

void CProgrammerDlg::OnDestroy() {
  // Every way the dialog ends (close command, Esc, Enter) destroys it, and
  // only once: the one place port access is released.
  ShutdownWinIo();
  CDialog::OnDestroy();
}
