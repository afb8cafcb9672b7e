#ifndef TARNWICK_MFC_MESSAGE_MAP_H_
#define TARNWICK_MFC_MESSAGE_MAP_H_

#include <windows.h>

class CCmdTarget;

// Marks message handlers in class declarations, as in MFC.
#define afx_msg

// One row of a message map: the message it takes (for WM_COMMAND also the
// notification code and the control or command identifier) and a function
// that unpacks the message's parameters and calls the handler member.
struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  LRESULT (*pfn)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

// A class's message map: its rows, ended by a row with nMessage 0, and the
// map of its base class (null for CCmdTarget).
struct AFX_MSGMAP {
  const AFX_MSGMAP* pBaseMap;
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// The first row, searching the class's own rows in the order declared and
// then its bases' maps, that takes `nMessage` (with `nCode` and `nID` for
// WM_COMMAND, 0 otherwise). Null when none does.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map,
                                            UINT nMessage, UINT nCode,
                                            UINT nID);

// An object whose class has a message map.
class CCmdTarget {
 public:
  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  // Runs the handler that the message map binds to the message, storing
  // its result in *pResult. False when no handler takes the message.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam,
                LRESULT* pResult);

 protected:
  virtual const AFX_MSGMAP* GetMessageMap() const;
  static const AFX_MSGMAP* GetThisMessageMap();
};

// In a class declaration: the class has a message map of its own.
#define DECLARE_MESSAGE_MAP()                           \
 protected:                                             \
  static const AFX_MSGMAP* GetThisMessageMap();         \
  const AFX_MSGMAP* GetMessageMap() const override;

// In the class's source file: the map's rows, from BEGIN_MESSAGE_MAP to
// END_MESSAGE_MAP, each one ON_... macro.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                           \
  const AFX_MSGMAP* theClass::GetMessageMap() const {                    \
    return GetThisMessageMap();                                          \
  }                                                                      \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                      \
    using ThisClass [[maybe_unused]] = theClass;                         \
    using TheBaseClass = baseClass;                                      \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                \
      {0, 0, 0, nullptr}};                                               \
    static const AFX_MSGMAP map = {TheBaseClass::GetThisMessageMap(),    \
                                   &entries[0]};                         \
    return &map;                                                         \
  }

// The handler of the row, called on the object that got the message.
#define AFX_HANDLER(target) (static_cast<ThisClass*>(target))

// afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
#define ON_WM_SYSCOMMAND()                                               \
  {WM_SYSCOMMAND, 0, 0,                                                  \
   [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                    \
     AFX_HANDLER(t)->OnSysCommand(static_cast<UINT>(w), l);              \
     return 0;                                                           \
   }},

// afx_msg void OnPaint();
#define ON_WM_PAINT()                                                    \
  {WM_PAINT, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {        \
     AFX_HANDLER(t)->OnPaint();                                          \
     return 0;                                                           \
   }},

// afx_msg HCURSOR OnQueryDragIcon();
#define ON_WM_QUERYDRAGICON()                                            \
  {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT { \
     return reinterpret_cast<LRESULT>(AFX_HANDLER(t)->OnQueryDragIcon()); \
   }},

// afx_msg void OnTimer(UINT_PTR nIDEvent);
#define ON_WM_TIMER()                                                    \
  {WM_TIMER, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {      \
     AFX_HANDLER(t)->OnTimer(static_cast<UINT_PTR>(w));                  \
     return 0;                                                           \
   }},

// afx_msg void OnDestroy();
#define ON_WM_DESTROY()                                                  \
  {WM_DESTROY, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {      \
     AFX_HANDLER(t)->OnDestroy();                                        \
     return 0;                                                           \
   }},

// A message of the program's own (WM_APP and up), e.g. one posted by a
// worker thread. afx_msg LRESULT memberFxn(WPARAM wParam, LPARAM lParam);
#define ON_MESSAGE(message, memberFxn)                                   \
  {static_cast<UINT>(message), 0, 0,                                     \
   [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {                    \
     return AFX_HANDLER(t)->memberFxn(w, l);                             \
   }},

// A command (menu item, accelerator, or button click: BN_CLICKED is
// notification code 0 too). afx_msg void memberFxn();
#define ON_COMMAND(id, memberFxn)                                        \
  {WM_COMMAND, 0, static_cast<UINT>(id),                                 \
   [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                        \
     AFX_HANDLER(t)->memberFxn();                                        \
     return 0;                                                           \
   }},

// A click on push button `id`. afx_msg void memberFxn();
#define ON_BN_CLICKED(id, memberFxn)                                     \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),                        \
   [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                        \
     AFX_HANDLER(t)->memberFxn();                                        \
     return 0;                                                           \
   }},

#endif  // TARNWICK_MFC_MESSAGE_MAP_H_
