#include "app/dialog_job_host.h"

namespace {

// Both file dialogs offer image files only.
constexpr char kImageFilter[] = "二进制文件(*.bin)|*.bin";

}  // namespace

DialogJobHost::DialogJobHost(StatusTexts* texts,
                             const std::atomic<bool>* stop)
    : m_pTexts(texts), m_pStop(stop) {}

bool DialogJobHost::ChooseFile(BOOL open, FilePath* path) {
  if (StopRequested()) return false;
  // No default extension, no initial name, no owner window.
  CFileDialog dialog(open, nullptr, nullptr,
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kImageFilter);
  if (dialog.DoModal() != IDOK) return false;
  *path = dialog.GetPathNameW();
  return true;
}

bool DialogJobHost::ChooseSaveFile(FilePath* path) {
  return ChooseFile(FALSE, path);
}

bool DialogJobHost::ChooseOpenFile(FilePath* path) {
  return ChooseFile(TRUE, path);
}

void DialogJobHost::ShowMessage(const std::string& text) {
  // A worker thread has no active window: the box has no owner.
  if (!StopRequested()) AfxMessageBox(text.c_str());
}

// Setting a label's text from here would wait for the UI thread at every
// address (a message sent across threads); the dialog picks the texts up.
void DialogJobHost::SetReadStatus(const std::string& text) {
  m_pTexts->Put(StatusLabel::kRead, text);
}

void DialogJobHost::SetWriteStatus(const std::string& text) {
  m_pTexts->Put(StatusLabel::kWrite, text);
}

bool DialogJobHost::StopRequested() { return m_pStop->load(); }
