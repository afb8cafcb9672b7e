#ifndef TARNWICK_MFC_DIALOG_H_
#define TARNWICK_MFC_DIALOG_H_

#include <windows.h>

#include "mfc/message_map.h"
#include "mfc/wnd.h"

// A modal dialog built from a dialog template of the program's resources,
// created through the wide API so that its texts show right whatever the
// system's code page. IDOK and IDCANCEL commands (Enter, Esc, the close
// command) go to OnOK and OnCancel, which end it. A dialog that
// OnInitDialog leaves where the template put it is centred on its owner.
class CDialog : public CWnd {
 public:
  // Without a parent the dialog is owned by the main window, when there is
  // one and it is not this dialog.
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  // Creates the dialog, runs it until it ends and returns the result given
  // to EndDialog; -1 when it could not be created.
  INT_PTR DoModal();

  // Ends the dialog: DoModal returns nResult once the current message is
  // handled. The dialog boxes it owns on its thread (message boxes and
  // dialogs its handlers are showing) end with it, as their Cancel button
  // would end them, so that however the dialog is asked to end (a close
  // command that comes while such a box shows), it ends at once.
  void EndDialog(int nResult);

 protected:
  // Runs when the dialog's controls exist, before it is shown. TRUE gives
  // the focus to the first control that takes it.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam,
                                     LPARAM lParam);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
};

#endif  // TARNWICK_MFC_DIALOG_H_
