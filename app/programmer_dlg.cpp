#include "app/programmer_dlg.h"

#include <mmsystem.h>

#include <string>

#include "app/about_dlg.h"
#include "app/dialog_job_host.h"
#include "base/clock.h"
#include "base/file.h"
#include "base/gbk.h"
#include "config/port_config.h"
#include "jobs/read_chip_job.h"
#include "jobs/write_chip_job.h"
#include "winio/winio_port.h"

namespace {

// Shown, owned by the dialog, when a chip command comes while another
// activity drives the chip.
constexpr char kChipBusy[] = "芯片正忙,请等待当前操作结束";

// How long the ending dialog waits for a running job. A job stops within
// one address (well under a second even when nothing verifies) or after
// the one-second pause before programming; only a port library that hangs
// would reach this.
constexpr DWORD kJobStopTimeoutMs = 10000;

// While a job runs, its status texts are shown this often: smooth to the
// eye, and a small cost for the UI thread whatever the job's pace.
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusIntervalMs = 20;

// Posted by a job's thread as it ends.
constexpr UINT kJobEndedMessage = WM_APP + 1;

}  // namespace

CProgrammerDlg::CProgrammerDlg(CWnd* pParent)
    : CDialog(CProgrammerDlg::IDD, pParent),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

BEGIN_MESSAGE_MAP(CProgrammerDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_READ_CHIP, OnReadChip)
  ON_BN_CLICKED(IDC_WRITE_CHIP, OnWriteChip)
  ON_BN_CLICKED(IDC_READ_SIGNATURE, OnReadSignature)
  ON_BN_CLICKED(IDC_ERASE_CHIP, OnEraseChip)
  ON_WM_TIMER()
  ON_MESSAGE(kJobEndedMessage, OnJobEnded)
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

  ProgrammerSession::Setup setup;
  setup.clock = RealClock();
  const FilePath config = ExecutableDirectory() / kPortConfigFileName;
  if (!LoadPortConfig(config, &setup.ports))
    AfxMessageBox((config.wstring() + GbkToWide(kCannotBeOpened)).c_str());

  CString ports;
  ports.Format("rtl8139 I/O基地址:\t0x%X\nEPP 并口地址:\t\t0x%X",
               static_cast<unsigned>(setup.ports.rtl_base),
               static_cast<unsigned>(setup.ports.epp_port));
  SetDlgItemText(IDC_PORT_TEXT, ports);

  // Whatever an earlier user of the library left is released first. A
  // refusal shows nothing: the chip commands then get nothing useful.
  WinIoPort()->Close();
  m_pSession = std::make_unique<ProgrammerSession>(WinIoPort(), setup);
  std::string why;
  m_pSession->Open(&why);
  return TRUE;
}

void CProgrammerDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else if ((nID & 0xFFF0) == SC_CLOSE) {
    // Closed as the system would close it, but also while a message box of
    // its own disables it (the system ignores the command then): the
    // program ends however it is asked to, taking such boxes with it.
    SendMessage(WM_CLOSE);
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

bool CProgrammerDlg::BeginChipCommand(std::unique_ptr<BoardLock>* board) {
  bool idle = false;
  if (m_chipBusy.compare_exchange_strong(idle, true)) {
    if (board == nullptr || (*board = ClaimBoard()) != nullptr) return true;
    EndChipActivity();
  }
  MessageBox(kChipBusy);
  return false;
}

std::unique_ptr<BoardLock> CProgrammerDlg::ClaimBoard() {
  std::string why;
  return m_pSession->ClaimBoard(0, nullptr, &why);
}

void CProgrammerDlg::OnReadSignature() {
  std::unique_ptr<BoardLock> board;
  if (!BeginChipCommand(&board)) return;
  const Signature signature = m_pSession->ReadSignature();
  board.reset();
  EndChipActivity();
  CString text;
  text.Format("30H=%X,\t31H=%X,\t32H=%X", unsigned{signature.at30},
              unsigned{signature.at31}, unsigned{signature.at32});
  SetDlgItemText(IDC_SIGNATURE_TEXT, text);
}

void CProgrammerDlg::OnEraseChip() {
  std::unique_ptr<BoardLock> board;
  if (!BeginChipCommand(&board)) return;
  NoProgress progress;
  m_pSession->Erase(progress);
  board.reset();
  EndChipActivity();
}

void CProgrammerDlg::OnReadChip() { StartJob(ReadChipThreadProc); }

void CProgrammerDlg::OnWriteChip() { StartJob(WriteChipThreadProc); }

void CProgrammerDlg::StartJob(AFX_THREADPROC proc) {
  // Claimed here on the UI thread, so that a second click is refused at
  // once; the job's thread claims the board and releases both.
  if (!BeginChipCommand(nullptr)) return;
  if (!m_jobThread.Start(proc, this)) {
    EndChipActivity();
    return;
  }
  SetTimer(kStatusTimer, kStatusIntervalMs);
}

UINT CProgrammerDlg::ReadChipThreadProc(LPVOID pParam) {
  CProgrammerDlg* dlg = static_cast<CProgrammerDlg*>(pParam);
  DialogJobHost host(&dlg->m_statusTexts, &dlg->m_stopJobs);
  // Held by this thread for the job: another program has the board, or
  // none.
  if (std::unique_ptr<BoardLock> board = dlg->ClaimBoard()) {
    // The cycles' 1 ms and 2 ms sleeps last that long only with a 1 ms
    // timer; the system's default tick is 15.6 ms.
    ::timeBeginPeriod(1);
    RunReadChipJob(*dlg->m_pSession, host);
    ::timeEndPeriod(1);
  } else {
    host.ShowMessage(kChipBusy);
  }
  dlg->EndJob();
  return 0;
}

UINT CProgrammerDlg::WriteChipThreadProc(LPVOID pParam) {
  CProgrammerDlg* dlg = static_cast<CProgrammerDlg*>(pParam);
  DialogJobHost host(&dlg->m_statusTexts, &dlg->m_stopJobs);
  if (std::unique_ptr<BoardLock> board = dlg->ClaimBoard()) {
    ::timeBeginPeriod(1);
    RunWriteChipJob(*dlg->m_pSession, host, ExecutableDirectory());
    ::timeEndPeriod(1);
  } else {
    host.ShowMessage(kChipBusy);
  }
  dlg->EndJob();
  return 0;
}

void CProgrammerDlg::EndJob() {
  // The job's last texts show at once rather than at the next tick. The
  // message is lost, harmlessly, when the dialog is ending.
  ::PostMessageW(m_hWnd, kJobEndedMessage, 0, 0);
  EndChipActivity();
}

void CProgrammerDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kStatusTimer) ShowStatusTexts();
}

LRESULT CProgrammerDlg::OnJobEnded(WPARAM, LPARAM) {
  ShowStatusTexts();
  return 0;
}

void CProgrammerDlg::ShowStatusTexts() {
  // Looked at first: once the job has ended, its last texts are among
  // those taken now, and the timer is no longer needed.
  const bool ended = m_jobThread.HasEnded();
  const StatusTexts::Taken taken = m_statusTexts.Take();
  // The read-status label has no identifier of its own: it is the first
  // control without one.
  CWnd* read = GetDlgItem(IDC_STATIC);
  CWnd* write = GetDlgItem(IDC_WRITE_STATUS);
  if (taken.read && read != nullptr) read->SetWindowText(taken.read->c_str());
  if (taken.write && write != nullptr)
    write->SetWindowText(taken.write->c_str());
  if (ended) KillTimer(kStatusTimer);
}

void CProgrammerDlg::OnDestroy() {
  // Every way the dialog ends (close command, Esc, Enter) destroys it, and
  // only once. A running job is stopped and waited for before the dialog
  // and port access go: it stops at its next address (a write job still
  // ends its log), and a file dialog or message box it shows is cancelled.
  m_stopJobs = true;
  m_jobThread.WaitCancellingDialogs(kJobStopTimeoutMs);
  if (m_pSession != nullptr) m_pSession->Close();
  CDialog::OnDestroy();
}
