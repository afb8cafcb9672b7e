#ifndef TARNWICK_LINK_SHARED_PORT_H_
#define TARNWICK_LINK_SHARED_PORT_H_

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/board_ports.h"
#include "link/port_io.h"

// One port backend shared by every board a process drives: a port-access
// library whose driver serves the whole process, so that any of its threads
// could reach any port through it (Windows). Each board gets a view that
// reaches its own ports only. The backend is made when the first view is
// asked for, opened by the first view's Open and closed by the last one's
// Close; its accesses are made one at a time, so it need not be
// thread-safe. Any thread may use it and its views; it must outlive them.
class SharedPort {
 public:
  // Makes the backend, its port access open; null, with *note saying why,
  // when it cannot. On success *note may name what was opened.
  using Opener = std::function<std::unique_ptr<PortIo>(std::string* note)>;

  explicit SharedPort(Opener open) : open_(std::move(open)) {}
  ~SharedPort();

  SharedPort(const SharedPort&) = delete;
  SharedPort& operator=(const SharedPort&) = delete;

  // The board at `ports`' view, its port access not yet open. The backend
  // is made first when it is not yet (the note is the opener's); null, with
  // *note, when it cannot be. Accesses of the view to any other port are
  // refused without reaching the backend.
  std::unique_ptr<PortIo> ForBoard(const BoardPorts& ports, std::string* note);

 private:
  class View;

  Opener open_;
  std::mutex mutex_;
  std::unique_ptr<PortIo> backend_;
  bool backend_open_ = false;  // its port access
  int users_ = 0;              // views whose port access is open
};

#endif  // TARNWICK_LINK_SHARED_PORT_H_
