#ifndef TARNWICK_APP_STATUS_TEXTS_H_
#define TARNWICK_APP_STATUS_TEXTS_H_

#include <mutex>
#include <optional>
#include <string>

// The two status labels of the main dialog.
enum class StatusLabel { kRead, kWrite };

// Status texts on their way from a job's worker thread to the UI thread,
// which alone changes the labels. The worker leaves the latest text of each
// label here, at every address; the UI thread takes what is waiting at its
// own pace and shows it. The worker never waits for the UI thread and makes
// no system call for a text, so showing progress costs the job nothing and
// cannot hold it up.
class StatusTexts {
 public:
  // Texts taken at once; empty for a label with no new text.
  struct Taken {
    std::optional<std::string> read;
    std::optional<std::string> write;
  };

  // Any thread. Leaves `text` for `label`, replacing one not yet taken.
  void Put(StatusLabel label, const std::string& text);

  // Takes every waiting text.
  Taken Take();

 private:
  std::mutex m_lock;
  Taken m_waiting;
};

#endif  // TARNWICK_APP_STATUS_TEXTS_H_
